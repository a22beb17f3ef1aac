// stipplewave-host render: runs an audio file through an effect module block
// by block, exactly as a host drives it, and writes the result.
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/hostlib/Effect.h"
#include "tools/stipplewave-host/Commands.h"

namespace vsthost {

namespace {

using namespace stipplewave;

constexpr const char* kUsage =
    "usage: stipplewave-host render MODULE --in IN --out OUT [options]\n"
    "\n"
    "Runs IN through the effect in MODULE and writes the effect's two outputs to\n"
    "OUT, a stereo file with IN's sample rate and format. The effect is driven\n"
    "as a host does: sample rate, block size, mains on, then processReplacing\n"
    "block by block.\n"
    "\n"
    "Input channels: channel 0 feeds the effect's left input and channel 1 its\n"
    "right input; a mono file feeds the same signal to both inputs; channels\n"
    "beyond the second are ignored.\n"
    "\n"
    "options:\n"
    "  --bpm N              set the parameter named BPM to N/250 (N beats per minute)\n"
    "  --host-tempo N       the host reports a tempo of N beats per minute; an effect\n"
    "                       that follows the host's tempo then ignores --bpm\n"
    "  --set NAME=VALUE     set a parameter, named as the module reports it (spaces\n"
    "                       trimmed) or by its index, to a normalised VALUE (0 to 1);\n"
    "                       may be given many times; --bpm and --set apply in order\n"
    "  --block N            block size in samples (default 512)\n"
    "  --rate N             the sample rate the effect is told instead of IN's; the\n"
    "                       samples are not resampled and OUT keeps IN's rate, so an\n"
    "                       effect timed in samples runs as if the audio were at N Hz\n"
    "                       (with --rate 88200 on a 44100 Hz file, bars last twice as\n"
    "                       long in OUT)\n"
    "\n"
    "An effect that takes new tempo and rate settings at its bar boundaries (as\n"
    "Stipplewave does) keeps the tempo and rate it was built with, 120 BPM at\n"
    "44100 Hz unless the host reports a tempo, until its first boundary.\n";

constexpr std::int32_t kDefaultBlock = 512;
constexpr std::int32_t kLargestBlock = 1 << 20;

struct Setting {
    std::string name;  // as given; "BPM" for --bpm
    float value;
    bool fromBpm;
};

struct RenderOptions {
    std::string modulePath;
    std::string inPath;
    std::string outPath;
    std::vector<Setting> settings;
    std::optional<double> hostTempo;
    std::optional<double> rate;
    std::int32_t block = kDefaultBlock;
};

// A failure with its one-line message and the exit code: 2 for a wrong
// command line, 1 for anything that goes wrong while rendering.
class RenderError : public std::runtime_error {
public:
    RenderError(int code, const std::string& message) : std::runtime_error(message), exitCode(code) {}
    int exitCode;
};

std::optional<double> parseNumber(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != 0 || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

double positiveNumber(const std::string& option, const std::string& text) {
    const std::optional<double> value = parseNumber(text);
    if (!value || *value <= 0.0) {
        throw RenderError(2, option + " needs a positive number, not '" + text + "'");
    }
    return *value;
}

RenderOptions parseOptions(const Arguments& args) {
    RenderOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--in" || arg == "--out" || arg == "--bpm" || arg == "--host-tempo" ||
                                arg == "--set" || arg == "--block" || arg == "--rate";
        if (takesValue && i + 1 >= args.size()) {
            throw RenderError(2, arg + " needs a value");
        }
        if (arg == "--in") {
            options.inPath = args[++i];
        } else if (arg == "--out") {
            options.outPath = args[++i];
        } else if (arg == "--bpm") {
            const double bpm = positiveNumber(arg, args[++i]);
            options.settings.push_back({"BPM", static_cast<float>(bpm / 250.0), true});
        } else if (arg == "--host-tempo") {
            const double bpm = positiveNumber(arg, args[++i]);
            if (bpm * 10000.0 > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
                throw RenderError(2, "--host-tempo " + args[i] + " is too large");
            }
            options.hostTempo = bpm;
        } else if (arg == "--set") {
            const std::string& text = args[++i];
            const std::size_t equals = text.rfind('=');
            const std::optional<double> value =
                equals == std::string::npos ? std::nullopt : parseNumber(text.substr(equals + 1));
            if (equals == std::string::npos || equals == 0 || !value) {
                throw RenderError(2, "--set needs NAME=VALUE with a number, not '" + text + "'");
            }
            if (*value < 0.0 || *value > 1.0) {
                const bool tempo = trimmed(text.substr(0, equals)) == "BPM";
                throw RenderError(2, "--set " + text + ": parameter values are normalised, 0 to 1" +
                                         (tempo ? " (--bpm takes beats per minute)" : ""));
            }
            options.settings.push_back({text.substr(0, equals), static_cast<float>(*value), false});
        } else if (arg == "--block") {
            const double block = positiveNumber(arg, args[++i]);
            if (block != std::floor(block) || block > kLargestBlock) {
                throw RenderError(2, "--block needs a whole number of samples from 1 to " +
                                         std::to_string(kLargestBlock) + ", not '" + args[i] + "'");
            }
            options.block = static_cast<std::int32_t>(block);
        } else if (arg == "--rate") {
            options.rate = positiveNumber(arg, args[++i]);
        } else if (arg.rfind("--", 0) != 0 && options.modulePath.empty()) {
            options.modulePath = arg;
        } else {
            throw RenderError(2, "unexpected argument '" + arg + "'");
        }
    }
    if (options.modulePath.empty() || options.inPath.empty() || options.outPath.empty()) {
        throw RenderError(2, "MODULE, --in and --out are required (see --help)");
    }
    return options;
}

std::int32_t parameterIndex(Effect& effect, const Setting& setting) {
    const std::int32_t index = effect.findParameter(setting.name);
    if (index >= 0) {
        return index;
    }
    const std::string name = trimmed(setting.name);
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) {
        throw RenderError(1, "unknown parameter " + name + ": the module has " +
                                 std::to_string(effect.record().numParams) + " parameters");
    }
    throw RenderError(1, setting.fromBpm ? "--bpm: the module has no parameter named BPM"
                                         : "unknown parameter '" + name +
                                               "' (stipplewave-host info MODULE lists the names)");
}

// Closes a libsndfile handle on every way out.
class SoundFile {
public:
    SoundFile(const std::string& path, int mode, SF_INFO& info) : file(sf_open(path.c_str(), mode, &info)) {}
    ~SoundFile() {
        if (file != nullptr) {
            sf_close(file);
        }
    }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;
    SNDFILE* get() const { return file; }

private:
    SNDFILE* file;
};

bool samePath(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

// A bar on stderr, redrawn only when the whole percentage changes.
class Progress {
public:
    explicit Progress(sf_count_t total)
        : enabled(isatty(fileno(stderr)) != 0 && total > 0 && total != SF_COUNT_MAX), frames(total) {}
    void update(sf_count_t done) {
        if (!enabled) {
            return;
        }
        const int percent = static_cast<int>(done * 100 / frames);
        if (percent == shown) {
            return;
        }
        shown = percent;
        const int width = 40;
        const int filled = percent * width / 100;
        std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, "########################################",
                     width - filled, "", percent);
        std::fflush(stderr);
    }
    void finish() {
        if (enabled && shown >= 0) {
            std::fprintf(stderr, "\n");
        }
    }

private:
    bool enabled;
    sf_count_t frames;
    int shown = -1;
};

struct Channels {
    Channels(std::int32_t count, std::int32_t frames) : data(static_cast<std::size_t>(count)) {
        for (std::vector<float>& channel : data) {
            channel.assign(static_cast<std::size_t>(frames), 0.0f);
        }
        for (std::vector<float>& channel : data) {
            pointers.push_back(channel.data());
        }
    }
    std::vector<std::vector<float>> data;
    std::vector<float*> pointers;
};

sf_count_t render(Effect& effect, SNDFILE* in, const SF_INFO& inInfo, SNDFILE* out, std::int32_t block) {
    AEffect& record = effect.record();
    const bool replacing = (record.flags & effFlagsCanReplacing) != 0;
    Channels inputs(std::max(record.numInputs, 2), block);
    Channels outputs(std::max(record.numOutputs, 2), block);
    const auto channels = static_cast<std::size_t>(inInfo.channels);
    std::vector<float> interleaved(static_cast<std::size_t>(block) * std::max<std::size_t>(channels, 2));
    Progress progress(inInfo.frames);
    sf_count_t done = 0;
    for (;;) {
        const sf_count_t got = sf_readf_float(in, interleaved.data(), block);
        if (got <= 0) {
            break;
        }
        const auto frames = static_cast<std::int32_t>(got);
        for (std::int32_t i = 0; i < frames; ++i) {
            const float* frame = &interleaved[static_cast<std::size_t>(i) * channels];
            inputs.data[0][i] = frame[0];
            inputs.data[1][i] = channels > 1 ? frame[1] : frame[0];
        }
        if (!replacing) {
            for (std::vector<float>& channel : outputs.data) {
                std::fill(channel.begin(), channel.end(), 0.0f);
            }
        }
        (replacing ? record.processReplacing : record.process)(&record, inputs.pointers.data(),
                                                               outputs.pointers.data(), frames);
        const std::vector<float>& right = record.numOutputs >= 2 ? outputs.data[1] : outputs.data[0];
        for (std::int32_t i = 0; i < frames; ++i) {
            interleaved[2 * static_cast<std::size_t>(i)] = outputs.data[0][i];
            interleaved[2 * static_cast<std::size_t>(i) + 1] = right[i];
        }
        if (sf_writef_float(out, interleaved.data(), got) != got) {
            throw RenderError(1, std::string("cannot write the output: ") + sf_strerror(out));
        }
        done += got;
        progress.update(done);
    }
    progress.finish();
    return done;
}

int renderCommand(const Arguments& args) {
    const RenderOptions options = parseOptions(args);

    SF_INFO inInfo{};
    SoundFile in(options.inPath, SFM_READ, inInfo);
    if (in.get() == nullptr) {
        throw RenderError(1, "cannot read '" + options.inPath + "': " + sf_strerror(nullptr));
    }
    if (inInfo.channels < 1) {
        throw RenderError(1, "'" + options.inPath + "' has no audio channels");
    }
    if (samePath(options.inPath, options.outPath)) {
        throw RenderError(2, "--out must not be the input file");
    }

    std::string error;
    auto module = PluginModule::load(options.modulePath, error);
    if (!module) {
        throw RenderError(1, error);
    }
    const double rate = options.rate.value_or(static_cast<double>(inInfo.samplerate));
    TestHost host;
    host.setSampleRate(static_cast<float>(rate));
    host.setBlockSize(options.block);
    if (options.hostTempo) {
        host.setTempo(static_cast<VstIntPtr>(std::llround(*options.hostTempo * 10000.0)));
    }
    auto effect = Effect::open(host, *module, error);
    if (!effect) {
        throw RenderError(1, options.modulePath + ": " + error);
    }
    for (const Setting& setting : options.settings) {
        effect->setParameter(parameterIndex(*effect, setting), setting.value);
    }

    SF_INFO outInfo{};
    outInfo.samplerate = inInfo.samplerate;
    outInfo.channels = 2;
    outInfo.format = inInfo.format;
    if (!sf_format_check(&outInfo)) {
        throw RenderError(1, "the input's file format cannot hold a stereo output");
    }
    SoundFile out(options.outPath, SFM_WRITE, outInfo);
    if (out.get() == nullptr) {
        throw RenderError(1, "cannot write '" + options.outPath + "': " + sf_strerror(nullptr));
    }
    // Two summed inputs can exceed full scale; integer formats clip rather than wrap.
    sf_command(out.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);

    effect->dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    effect->dispatch(effSetBlockSize, 0, options.block);
    effect->dispatch(effMainsChanged, 0, 1);
    const sf_count_t frames = render(*effect, in.get(), inInfo, out.get(), options.block);
    effect->dispatch(effMainsChanged, 0, 0);

    std::printf("rendered %lld frames (%.3f s at %d Hz, effect told %g Hz, blocks of %d) from %s to %s\n",
                static_cast<long long>(frames), static_cast<double>(frames) / inInfo.samplerate, inInfo.samplerate,
                rate, options.block, options.inPath.c_str(), options.outPath.c_str());
    return 0;
}

}  // namespace

int runRender(const Arguments& args) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    try {
        return renderCommand(args);
    } catch (const RenderError& failure) {
        std::fprintf(stderr, "stipplewave-host render: %s\n", failure.what());
        return failure.exitCode;
    }
}

}  // namespace vsthost
