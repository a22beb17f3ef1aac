// The render command of stipplewave-host, run as a program on files written
// and read with libsndfile: channel routing, parameter settings, the sample
// rate and host tempo options, block sizes, and its errors.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Audio {
    int rate = 0;
    int channels = 0;
    int format = 0;
    std::vector<float> samples;  // interleaved
    float at(std::size_t frame, int channel) const {
        return samples[frame * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channel)];
    }
    std::size_t frames() const { return samples.size() / static_cast<std::size_t>(channels); }
};

class RenderCommand : public testing::Test {
protected:
    void SetUp() override {
        directory = fs::temp_directory_path() / ("stipplewave-render-" + std::to_string(getpid()));
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }

    std::string path(const std::string& name) const { return (directory / name).string(); }

    // Float files keep every sample exact, so outputs compare with ==.
    std::string writeConstant(const std::string& name, const std::vector<float>& levels, std::size_t frames,
                              int rate = 44100) {
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = static_cast<int>(levels.size());
        info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        SNDFILE* file = sf_open(path(name).c_str(), SFM_WRITE, &info);
        EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
        std::vector<float> samples;
        for (std::size_t i = 0; i < frames; ++i) {
            samples.insert(samples.end(), levels.begin(), levels.end());
        }
        sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
        sf_close(file);
        return path(name);
    }

    static Audio read(const std::string& file) {
        SF_INFO info{};
        SNDFILE* handle = sf_open(file.c_str(), SFM_READ, &info);
        Audio audio;
        if (handle == nullptr) {
            ADD_FAILURE() << "cannot read " << file << ": " << sf_strerror(nullptr);
            return audio;
        }
        audio.rate = info.samplerate;
        audio.channels = info.channels;
        audio.format = info.format;
        audio.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
        sf_readf_float(handle, audio.samples.data(), info.frames);
        sf_close(handle);
        return audio;
    }

    // Runs the tool; returns its exit code and keeps its stderr.
    int render(const std::string& arguments) {
        const std::string errors = path("stderr.txt");
        const std::string command = std::string("'") + STIPPLEWAVE_HOST_PATH + "' render " + arguments + " >" +
                                    path("stdout.txt") + " 2>" + errors;
        const int status = std::system(command.c_str());
        std::ifstream in(errors);
        std::stringstream text;
        text << in.rdbuf();
        stderrText = text.str();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string module() const { return std::string("'") + STIPPLEWAVE_MODULE_PATH + "'"; }

    fs::path directory;
    std::string stderrText;
};

TEST_F(RenderCommand, StereoInputGoesLeftAndRightThroughTheDefaultPattern) {
    const std::string in = writeConstant("in.wav", {0.25f, 0.5f}, 30000);
    ASSERT_EQ(render(module() + " --in " + in + " --out " + path("out.wav") + " --bpm 120"), 0) << stderrText;
    const Audio out = read(path("out.wav"));
    EXPECT_EQ(out.rate, 44100);
    EXPECT_EQ(out.channels, 2);
    EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(out.frames(), 30000u);
    struct Expected {
        std::size_t frame;
        float level;
    };
    // Right input alone in steps 1 to 4, left input alone from step 5 (sample 22056).
    for (const Expected& e : {Expected{0, 0.5f}, Expected{5513, 0.5f}, Expected{22055, 0.5f}, Expected{22056, 0.25f},
                              Expected{29999, 0.25f}}) {
        EXPECT_EQ(out.at(e.frame, 0), e.level) << "frame " << e.frame;
        EXPECT_EQ(out.at(e.frame, 1), e.level) << "frame " << e.frame;
    }
}

TEST_F(RenderCommand, MonoInputFeedsBothInputs) {
    const std::string in = writeConstant("mono.wav", {0.25f}, 30000);
    ASSERT_EQ(render(module() + " --in " + in + " --out " + path("out.wav")), 0) << stderrText;
    const Audio out = read(path("out.wav"));
    ASSERT_EQ(out.channels, 2);
    for (std::size_t frame : {0u, 5513u, 22056u, 29999u}) {
        EXPECT_EQ(out.at(frame, 0), 0.25f) << "frame " << frame;
        EXPECT_EQ(out.at(frame, 1), 0.25f) << "frame " << frame;
    }
}

TEST_F(RenderCommand, ParametersAreSetByTrimmedNameOrIndex) {
    const std::string in = writeConstant("in.wav", {0.25f, 0.5f}, 6000);
    struct Case {
        const char* settings;
        float stepOne;
    };
    const Case cases[] = {
        {"--set 'Left01 ON=1'", 0.75f},
        {"--set ' Left01 ON =1' --set 16=0", 0.25f},
        {"--set 16=0", 0.0f},
        {"--set Righ01\\ ON=0.5", 0.25f},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(render(module() + " --in " + in + " --out " + path("out.wav") + " " + c.settings), 0)
            << c.settings << ": " << stderrText;
        const Audio out = read(path("out.wav"));
        EXPECT_EQ(out.at(100, 0), c.stepOne) << c.settings;
    }
}

// Step lengths show the tempo and rate the effect used. The effect takes a
// new tempo or sample rate at its next bar boundary (the first one comes at
// sample 88200, timed at construction), so they are measured after it: the
// default pattern changes input every four steps.
TEST_F(RenderCommand, RateAndTempoOptionsReachTheEffect) {
    const std::string in = writeConstant("in.wav", {0.25f, 0.5f}, 300000);
    struct Case {
        const char* options;
        std::size_t stepSamples;
    };
    const Case cases[] = {
        {"", 5514},                            // 120 BPM at the file's 44100 Hz
        {"--bpm 150", 4411},                   // 150 BPM
        {"--rate 88200", 11026},               // told 88200 Hz: twice as many samples per step
        {"--host-tempo 150 --bpm 60", 4411},   // the host's tempo wins
        {"--block 1", 5514},                   {"--block 4096 --bpm 120", 5514},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(render(module() + " --in " + in + " --out " + path("out.wav") + " " + c.options), 0)
            << c.options << ": " << stderrText;
        const Audio out = read(path("out.wav"));
        EXPECT_EQ(out.rate, 44100) << c.options;
        std::vector<std::size_t> changes;
        for (std::size_t frame = 88201; frame < out.frames(); ++frame) {
            if (out.at(frame, 0) != out.at(frame - 1, 0)) {
                changes.push_back(frame);
            }
        }
        ASSERT_GE(changes.size(), 3u) << c.options;
        for (std::size_t i = 2; i < changes.size(); ++i) {
            EXPECT_EQ(changes[i] - changes[i - 1], 4 * c.stepSamples) << c.options << ", change " << i;
        }
    }
}

TEST_F(RenderCommand, FailuresGiveOneLineAndANonZeroExit) {
    const std::string in = writeConstant("in.wav", {0.25f, 0.5f}, 100);
    {
        std::ofstream notAudio(path("text.wav"));
        notAudio << "not audio\n";
    }
    struct Case {
        std::string arguments;
        const char* mentions;
    };
    const Case cases[] = {
        {module() + " --in " + path("missing.wav") + " --out " + path("o.wav"), "missing.wav"},
        {module() + " --in " + path("text.wav") + " --out " + path("o.wav"), "text.wav"},
        {module() + " --in " + in + " --out " + path("o.wav") + " --set Nothing=1", "Nothing"},
        {module() + " --in " + in + " --out " + path("o.wav") + " --set 35=1", "35"},
        {module() + " --in " + in + " --out " + path("o.wav") + " --set BPM=120", "normalised"},
        {path("in.wav") + " --in " + in + " --out " + path("o.wav"), "cannot load"},
        {"'" + path("no-module.so") + "' --in " + in + " --out " + path("o.wav"), "no-module.so"},
        {module() + " --in " + in + " --out " + in, "input"},
        {module() + " --in " + in + " --out " + path("o.wav") + " --block 0", "--block"},
        {module() + " --in " + in, "--out"},
    };
    for (const Case& c : cases) {
        EXPECT_NE(render(c.arguments), 0) << c.arguments;
        EXPECT_EQ(stderrText.rfind("stipplewave-host render: ", 0), 0u) << stderrText;
        EXPECT_NE(stderrText.find(c.mentions), std::string::npos) << stderrText;
        ASSERT_FALSE(stderrText.empty());
        EXPECT_EQ(stderrText.find('\n'), stderrText.size() - 1) << "one line: " << stderrText;
    }
    EXPECT_EQ(read(in).frames(), 100u) << "the input survives an attempt to overwrite it";
}

}  // namespace
