// stipplewave-host validate: a battery of checks for any VST 2 effect
// module, in the spirit of the validators hosts trust: loading and record
// sanity, many instances, processing at many rates and block sizes with
// hostile input, parameters, concurrent automation, every dispatcher
// opcode, and no allocation while processing.
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tools/hostlib/AllocationCounter.h"
#include "tools/hostlib/Effect.h"
#include "tools/hostlib/HostWindow.h"
#include "tools/stipplewave-host/Commands.h"

namespace vsthost {

namespace {

using namespace stipplewave;

constexpr std::int32_t kOurUniqueId = 0x54564B31;
constexpr std::int32_t kMaxBlock = 4096;
constexpr std::size_t kTextLimit = 64;

struct Options {
    std::string modulePath;
    int strictness = 5;
    std::uint32_t seed = 1;
    bool skipEditor = false;
};

class Report {
public:
    void check(const std::string& name, bool ok, const std::string& detail = "") {
        std::printf("[%s] %s%s%s\n", ok ? "PASS" : "FAIL", name.c_str(), detail.empty() ? "" : ": ",
                    detail.c_str());
        std::fflush(stdout);
        (ok ? passed : failed)++;
    }
    void note(const std::string& text) {
        std::printf("       %s\n", text.c_str());
        std::fflush(stdout);
    }
    int passed = 0;
    int failed = 0;
};

// Planar stereo-or-wider buffers as a host hands them to the effect.
class AudioBuffers {
public:
    AudioBuffers(std::int32_t channels, std::int32_t frames)
        : storage(static_cast<std::size_t>(channels), std::vector<float>(static_cast<std::size_t>(frames))) {
        for (auto& channel : storage) {
            pointers.push_back(channel.data());
        }
    }
    float** data() { return pointers.empty() ? nullptr : pointers.data(); }
    std::vector<float>& channel(std::size_t i) { return storage[i]; }
    std::size_t channels() const { return storage.size(); }
    void fill(float value) {
        for (auto& channel : storage) {
            std::fill(channel.begin(), channel.end(), value);
        }
    }
    void fillNoise(std::mt19937& random) {
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        for (auto& channel : storage) {
            for (float& sample : channel) {
                sample = noise(random);
            }
        }
    }

private:
    std::vector<std::vector<float>> storage;
    std::vector<float*> pointers;
};

// What is wrong with the first `frames` samples of the outputs, or "".
std::string badSamples(AudioBuffers& outputs, std::int32_t frames) {
    for (std::size_t c = 0; c < outputs.channels(); ++c) {
        for (std::int32_t i = 0; i < frames; ++i) {
            const float x = outputs.channel(c)[static_cast<std::size_t>(i)];
            if (std::isnan(x) || std::isinf(x)) {
                return "non-finite output at channel " + std::to_string(c) + " sample " + std::to_string(i);
            }
            if (std::fpclassify(x) == FP_SUBNORMAL) {
                return "subnormal output at channel " + std::to_string(c) + " sample " + std::to_string(i);
            }
        }
    }
    return "";
}

// Buffers of text queries: canary bytes after a generous size, so that a
// text that runs past the limit is caught without the effect overrunning
// the host's memory.
std::string textWithinLimit(Effect& effect, std::int32_t opcode, std::int32_t index, bool& ok) {
    std::vector<char> buffer(1024, 0);
    effect.dispatch(opcode, index, 0, buffer.data());
    const std::size_t length = strnlen(buffer.data(), buffer.size());
    ok = length < kTextLimit;
    return std::string(buffer.data(), length);
}

class Validator {
public:
    Validator(const Options& chosen, const PluginModule& loaded) : options(chosen), module(loaded) {}

    int run() {
        std::unique_ptr<Effect> first = openEffect();
        report.check("instantiate through " + module.entryName(), first != nullptr, lastError);
        if (!first) {
            return finish();
        }
        ours = first->record().uniqueID == kOurUniqueId;
        checkRecord(*first);
        checkIdentity(*first);
        first.reset();
        checkInstances();
        checkProcessing();
        checkHostileInput();
        checkParameters();
        checkAutomationWhileProcessing();
        checkDispatcherSweep();
        checkNoAllocationWhileProcessing();
        checkEditor();
        return finish();
    }

private:
    std::unique_ptr<Effect> openEffect() { return Effect::open(host, module, lastError); }

    int finish() {
        std::printf("%d passed, %d failed\n", report.passed, report.failed);
        return report.failed == 0 ? 0 : 1;
    }

    void checkRecord(Effect& effect) {
        AEffect& r = effect.record();
        report.check("record: magic", r.magic == kEffectMagic);
        report.check("record: entry functions present",
                     r.dispatcher != nullptr && r.setParameter != nullptr && r.getParameter != nullptr);
        report.check("record: replacing routine present when flagged",
                     (r.flags & effFlagsCanReplacing) == 0 || r.processReplacing != nullptr);
        report.check("record: channel counts plausible",
                     r.numInputs >= 0 && r.numInputs <= 64 && r.numOutputs >= 0 && r.numOutputs <= 64,
                     std::to_string(r.numInputs) + " in, " + std::to_string(r.numOutputs) + " out");
        report.check("record: parameter and program counts plausible",
                     r.numParams >= 0 && r.numParams <= 100000 && r.numPrograms >= 0 && r.numPrograms <= 100000);
        if (ours) {
            report.check("record: step mixer identity",
                         r.numInputs == 2 && r.numOutputs == 2 && r.numParams == 35 && r.numPrograms == 1 &&
                             (r.flags & ~effFlagsHasEditor) == effFlagsCanReplacing);
        }
    }

    void checkIdentity(Effect& effect) {
        const struct {
            const char* name;
            std::int32_t opcode;
        } queries[] = {{"vendor string", effGetVendorString},
                       {"product string", effGetProductString},
                       {"effect name", effGetEffectName},
                       {"program name", effGetProgramName}};
        for (const auto& q : queries) {
            bool ok = false;
            const std::string text = textWithinLimit(effect, q.opcode, 0, ok);
            report.check(std::string("identity: ") + q.name + " within 64 bytes", ok, "\"" + text + "\"");
        }
    }

    void checkInstances() {
        const int count = 20 * options.strictness;
        bool ok = true;
        for (int i = 0; i < count && ok; ++i) {
            ok = openEffect() != nullptr;
        }
        report.check("instances: " + std::to_string(count) + " created and closed in a row", ok, lastError);

        std::vector<std::unique_ptr<Effect>> open;
        std::mt19937 random(options.seed);
        for (int i = 0; i < count && ok; ++i) {
            open.push_back(openEffect());
            ok = open.back() != nullptr;
            if (ok && open.size() > 3 && random() % 2 == 0) {
                open.erase(open.begin() + static_cast<long>(random() % open.size()));
            }
        }
        open.clear();
        report.check("instances: " + std::to_string(count) + " created and closed interleaved", ok, lastError);
    }

    void prepare(Effect& effect, float sampleRate, std::int32_t blockSize) {
        effect.dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
        effect.dispatch(effSetBlockSize, 0, blockSize);
        effect.dispatch(effMainsChanged, 0, 1);
    }

    // Runs blocks of noise through one routine; "" or what went wrong.
    std::string processNoise(Effect& effect, ProcessProc routine, std::int32_t blockSize, int blocks,
                             std::mt19937& random, bool inPlace) {
        AEffect& r = effect.record();
        const std::int32_t channels = std::max(r.numInputs, r.numOutputs);
        AudioBuffers inputs(std::max<std::int32_t>(channels, 1), blockSize);
        AudioBuffers outputs(std::max<std::int32_t>(channels, 1), blockSize);
        for (int b = 0; b < blocks; ++b) {
            inputs.fillNoise(random);
            outputs.fill(0.0f);
            AudioBuffers& out = inPlace ? inputs : outputs;
            routine(&r, inputs.data(), out.data(), blockSize);
            std::string bad = badSamples(out, blockSize);
            if (!bad.empty()) {
                return bad + " (block " + std::to_string(b) + ")";
            }
        }
        return "";
    }

    std::vector<std::int32_t> blockSizes(std::mt19937& random) {
        std::vector<std::int32_t> sizes = {1, 10, 17, 64, 256, 512, 1024, 1536, 2027, 4096};
        std::uniform_int_distribution<std::int32_t> any(1, kMaxBlock);
        for (int i = 0; i < options.strictness; ++i) {
            sizes.push_back(random() % 5 == 0 ? 1 : any(random));
        }
        return sizes;
    }

    void checkProcessing() {
        const float rates[] = {44100.0f, 48000.0f, 96000.0f, 12345.678f, 22050.0f, 192000.0f};
        std::mt19937 random(options.seed);
        for (float rate : rates) {
            std::string failure;
            for (std::int32_t blockSize : blockSizes(random)) {
                std::unique_ptr<Effect> effect = openEffect();
                if (!effect) {
                    failure = lastError;
                    break;
                }
                prepare(*effect, rate, blockSize);
                AEffect& r = effect->record();
                for (ProcessProc routine : {r.processReplacing, r.process}) {
                    if (routine == nullptr || failure.size() > 0) {
                        continue;
                    }
                    failure = processNoise(*effect, routine, blockSize, 10, random, false);
                    if (!failure.empty()) {
                        failure += ", block size " + std::to_string(blockSize);
                    }
                }
                effect->dispatch(effMainsChanged, 0, 0);
                if (!failure.empty()) {
                    break;
                }
            }
            char name[96];
            std::snprintf(name, sizeof name, "processing: noise at %g Hz, block sizes 1 to 4096, both routines",
                          static_cast<double>(rate));
            report.check(name, failure.empty(), failure);
        }

        std::unique_ptr<Effect> effect = openEffect();
        if (effect) {
            prepare(*effect, 44100.0f, 512);
            AEffect& r = effect->record();
            ProcessProc routine = r.processReplacing != nullptr ? r.processReplacing : r.process;
            std::string failure = routine ? processNoise(*effect, routine, 512, 10, random, true) : "";
            report.check("processing: inputs and outputs the same buffers", failure.empty(), failure);

            AudioBuffers silence(std::max<std::int32_t>(std::max(r.numInputs, r.numOutputs), 1), 512);
            AudioBuffers out(silence.channels() > 0 ? static_cast<std::int32_t>(silence.channels()) : 1, 512);
            silence.fill(0.0f);
            bool finite = true;
            for (int b = 0; b < 20 && routine != nullptr; ++b) {
                routine(&r, silence.data(), out.data(), 512);
                finite = finite && badSamples(out, 512).empty();
            }
            report.check("processing: silence in, no NaN, infinity or subnormal out", finite);
            routine(&r, silence.data(), out.data(), 0);
            report.check("processing: a block of 0 samples is accepted", true);
        }
    }

    // Renders `input` (two channels) through a fresh effect on a fresh
    // thread, in blocks whose sizes `nextBlock` chooses.
    std::vector<float> render(const std::vector<float>& left, const std::vector<float>& right,
                              const std::function<std::int32_t()>& nextBlock) {
        std::vector<float> result(left.size() * 2);
        std::thread audio([&] {
            std::unique_ptr<Effect> effect = openEffect();
            if (!effect) {
                return;
            }
            prepare(*effect, 44100.0f, kMaxBlock);
            AEffect& r = effect->record();
            std::size_t done = 0;
            while (done < left.size()) {
                const std::size_t n = std::min(left.size() - done, static_cast<std::size_t>(nextBlock()));
                float* in[2] = {const_cast<float*>(left.data() + done), const_cast<float*>(right.data() + done)};
                float* out[2] = {result.data() + done, result.data() + left.size() + done};
                r.processReplacing(&r, in, out, static_cast<std::int32_t>(n));
                done += n;
            }
        });
        audio.join();
        return result;
    }

    void checkHostileInput() {
        std::unique_ptr<Effect> effect = openEffect();
        if (!effect || effect->record().processReplacing == nullptr) {
            return;
        }
        AEffect& r = effect->record();
        const std::int32_t channels = std::max<std::int32_t>(std::max(r.numInputs, r.numOutputs), 1);
        prepare(*effect, 44100.0f, 256);
        AudioBuffers in(channels, 256), out(channels, 256);
        const float hostile[] = {std::nanf(""), INFINITY, -INFINITY, 1e38f, -1e38f, 1e-40f};
        for (int b = 0; b < 8; ++b) {
            for (std::size_t c = 0; c < in.channels(); ++c) {
                for (std::size_t i = 0; i < 256; ++i) {
                    in.channel(c)[i] = hostile[(i + c + static_cast<std::size_t>(b)) % 6];
                }
            }
            r.processReplacing(&r, in.data(), out.data(), 256);
        }
        report.check("processing: NaN, infinity, huge and subnormal input does not crash", true);
        effect.reset();
        if (!ours) {
            return;
        }
        // The step gate's output depends only on the samples and the clocks,
        // never on how the host cuts the blocks.
        const std::size_t frames = 44100 * 6;
        std::vector<float> left(frames), right(frames);
        std::mt19937 random(options.seed);
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        for (std::size_t i = 0; i < frames; ++i) {
            left[i] = i % 997 == 0 ? hostile[i % 6] : noise(random);
            right[i] = i % 1009 == 0 ? hostile[(i + 3) % 6] : noise(random);
        }
        const std::vector<float> whole = render(left, right, [] { return 1 << 30; });
        std::uniform_int_distribution<std::int32_t> any(1, kMaxBlock);
        const std::vector<float> pieces = render(left, right, [&] { return random() % 5 == 0 ? 1 : any(random); });
        report.check("processing: random blocks give the one-block output bit for bit",
                     std::memcmp(whole.data(), pieces.data(), whole.size() * sizeof(float)) == 0);
    }

    void checkParameters() {
        std::unique_ptr<Effect> effect = openEffect();
        if (!effect) {
            return;
        }
        const std::int32_t count = effect->record().numParams;
        bool textsOk = true;
        std::string textFailure;
        bool readBackOk = true;
        std::string readBackFailure;
        for (std::int32_t i = 0; i < count; ++i) {
            for (std::int32_t opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
                bool ok = false;
                const std::string text = textWithinLimit(*effect, opcode, i, ok);
                if (!ok && textsOk) {
                    textsOk = false;
                    textFailure = "parameter " + std::to_string(i) + " opcode " + std::to_string(opcode);
                }
            }
            const float original = effect->getParameter(i);
            for (float value : {0.0f, 1.0f, 0.5f}) {
                effect->setParameter(i, value);
                const float back = effect->getParameter(i);
                // Others may quantise their values; ours keeps them exactly.
                const bool ok = ours ? back == value : (back >= 0.0f && back <= 1.0f);
                if (!ok && readBackOk) {
                    readBackOk = false;
                    readBackFailure = "parameter " + std::to_string(i) + " set to " + std::to_string(value) +
                                      " reads back " + std::to_string(back);
                }
            }
            for (float value : {-1.0f, 2.0f, 1e30f, std::nanf(""), INFINITY, -INFINITY}) {
                effect->setParameter(i, value);
                effect->getParameter(i);
                bool ok = false;
                textWithinLimit(*effect, effGetParamDisplay, i, ok);
            }
            effect->setParameter(i, original);
        }
        report.check("parameters: names, labels and display texts within 64 bytes", textsOk, textFailure);
        report.check("parameters: 0, 1 and 0.5 read back", readBackOk, readBackFailure);
        report.check("parameters: out-of-range, NaN and infinite values accepted without a crash", true);
        effect->setParameter(-1, 0.5f);
        effect->setParameter(count, 0.5f);
        effect->getParameter(-1);
        effect->getParameter(count);
        report.check("parameters: indices -1 and numParams ignored", true);

        // Process with every parameter at its extremes. Ours must also survive
        // values no host should send (NaN, infinities, beyond 0..1); other
        // makers' effects are held only to the normalised range.
        prepare(*effect, 44100.0f, 512);
        AEffect& r = effect->record();
        if (r.processReplacing != nullptr) {
            const std::int32_t channels = std::max<std::int32_t>(std::max(r.numInputs, r.numOutputs), 1);
            AudioBuffers in(channels, 512), out(channels, 512);
            std::mt19937 random(options.seed);
            const std::vector<float> values =
                ours ? std::vector<float>{std::nanf(""), INFINITY, -5.0f, 0.0f, 1e30f, 1.0f} : std::vector<float>{0.0f, 1.0f};
            for (float value : values) {
                for (std::int32_t i = 0; i < count; ++i) {
                    effect->setParameter(i, value);
                }
                in.fillNoise(random);
                for (int b = 0; b < 200; ++b) {
                    r.processReplacing(&r, in.data(), out.data(), 512);
                }
            }
            report.check(ours ? "parameters: processing with every parameter at hostile values does not crash"
                              : "parameters: processing with every parameter at 0 and at 1 does not crash",
                         true);
        }
    }

    // What the audio thread does in the concurrency checks: blocks of noise
    // until told to stop, noting any output that is not a normal number.
    void processNoiseUntil(AEffect& r, const std::atomic<bool>& stop, std::atomic<bool>& bad) {
        const std::int32_t channels = std::max<std::int32_t>(std::max(r.numInputs, r.numOutputs), 1);
        AudioBuffers in(channels, 256), out(channels, 256);
        std::mt19937 random(options.seed);
        in.fillNoise(random);
        while (!stop.load()) {
            r.processReplacing(&r, in.data(), out.data(), 256);
            if (!badSamples(out, 256).empty()) {
                bad.store(true);
            }
        }
    }

    void checkAutomationWhileProcessing() {
        std::unique_ptr<Effect> effect = openEffect();
        if (!effect || effect->record().processReplacing == nullptr) {
            return;
        }
        AEffect& r = effect->record();
        prepare(*effect, 48000.0f, 256);
        std::atomic<bool> stop{false};
        std::atomic<bool> bad{false};
        std::thread audio([&] { processNoiseUntil(r, stop, bad); });
        std::thread automation([&] {
            std::mt19937 random(options.seed + 1);
            std::uniform_real_distribution<float> unit(0.0f, 1.0f);
            for (std::int32_t i = 0; i < r.numParams; ++i) {
                for (int n = 0; n < 1000; ++n) {
                    r.setParameter(&r, i, unit(random));
                }
            }
        });
        automation.join();
        stop.store(true);
        audio.join();
        report.check("automation: every parameter set 1000 times from another thread while processing",
                     !bad.load(), bad.load() ? "non-finite or subnormal output" : "");
    }

    void checkDispatcherSweep() {
        std::unique_ptr<Effect> effect = openEffect();
        if (!effect) {
            return;
        }
        // Opcodes whose operands would be a lie to pass: editor ones (a
        // window handle is needed) and effClose (ends the instance).
        auto skipped = [](std::int32_t opcode) {
            return opcode == effClose || (opcode >= effEditGetRect && opcode <= effEditSleep) ||
                   (opcode >= effEditKeyDown && opcode <= effSetEditKnobMode);
        };
        std::vector<char> buffer(65536, 0);
        for (std::int32_t opcode = -1; opcode <= 80; ++opcode) {
            if (skipped(opcode)) {
                continue;
            }
            std::fill(buffer.begin(), buffer.end(), 0);
            VstIntPtr value = 0;
            float opt = 0.0f;
            switch (opcode) {
                case effSetSampleRate: opt = 44100.0f; break;
                case effSetBlockSize: value = 512; break;
                case effSetBlockSizeAndSampleRate: value = 512; opt = 44100.0f; break;
                case effSetSpeakerArrangement: value = reinterpret_cast<VstIntPtr>(buffer.data() + 32768); break;
                default: break;
            }
            effect->dispatch(opcode, 0, value, buffer.data(), opt);
        }
        prepare(*effect, 44100.0f, 512);
        AEffect& r = effect->record();
        std::mt19937 random(options.seed);
        std::string failure;
        if (r.processReplacing != nullptr) {
            failure = processNoise(*effect, r.processReplacing, 512, 4, random, false);
        }
        report.check("dispatcher: every opcode from -1 to 80 with harmless operands, then processing", failure.empty(),
                     failure);
    }

    void checkNoAllocationWhileProcessing() {
        if (!allocationCountingAvailable()) {
            report.note("allocation check skipped: allocations can be counted only in a Linux build without sanitizers");
            return;
        }
        std::unique_ptr<Effect> effect = openEffect();
        if (!effect || effect->record().processReplacing == nullptr) {
            return;
        }
        AEffect& r = effect->record();
        prepare(*effect, 44100.0f, kMaxBlock);
        const std::int32_t channels = std::max<std::int32_t>(std::max(r.numInputs, r.numOutputs), 1);
        AudioBuffers in(channels, kMaxBlock), out(channels, kMaxBlock);
        std::mt19937 random(options.seed);
        in.fillNoise(random);
        // Warm up first: an effect may lazily set up on its first block.
        r.processReplacing(&r, in.data(), out.data(), kMaxBlock);
        std::int64_t counted = 0;
        std::thread audio([&] {
            AllocationScope scope;
            std::uniform_int_distribution<std::int32_t> any(1, kMaxBlock);
            for (int b = 0; b < 200 * options.strictness; ++b) {
                const std::int32_t n = random() % 5 == 0 ? 1 : any(random);
                r.processReplacing(&r, in.data(), out.data(), n);
                if (r.process != nullptr && b % 2 == 1) {
                    r.process(&r, in.data(), out.data(), n);
                }
            }
            counted = scope.count();
        });
        audio.join();
        report.check("realtime: no memory allocation while processing", counted == 0,
                     std::to_string(counted) + " allocations");
    }

    // Editor checks. Other makers' editors get a real host window only;
    // ours must also cope with no window at all.
    void checkEditor() {
        std::unique_ptr<Effect> probe = openEffect();
        if (!probe || (probe->record().flags & effFlagsHasEditor) == 0) {
            return;
        }
        if (options.skipEditor) {
            report.note("editor checks skipped (--skip-editor)");
            return;
        }
        ERect* rect = nullptr;
        probe->dispatch(effEditGetRect, 0, 0, &rect);
        const bool sized = rect != nullptr && rect->right > rect->left && rect->bottom > rect->top &&
                           rect->right - rect->left <= 4096 && rect->bottom - rect->top <= 4096;
        if (ours) {
            report.check("editor: rectangle known before the first open", sized);
        }
        // The rectangle belongs to the editor, which goes with the effect.
        const std::int32_t width = sized ? rect->right - rect->left : 400;
        const std::int32_t height = sized ? rect->bottom - rect->top : 300;
        probe.reset();

        std::string error;
        std::unique_ptr<HostWindow> window = HostWindow::open(width, height, error);
        if (!window) {
            report.note("editor checks in a host window skipped: " + error);
        }
        const int rounds = 20 * options.strictness;
        if (window) {
            checkEditorRounds("editor: opened cold, before the sample rate is set, idled and closed", *window, 1, true);
            checkEditorRounds("editor: opened, idled and closed " + std::to_string(rounds) + " times in a row",
                              *window, rounds, false);
            checkEditorWhileBusy(*window);
        }
        if (ours) {
            std::unique_ptr<Effect> effect = openEffect();
            bool ok = effect != nullptr;
            for (int i = 0; i < rounds && ok; ++i) {
                ok = effect->dispatch(effEditOpen, 0, 0, nullptr) == 1;
                effect->dispatch(effEditIdle);
                effect->dispatch(effEditClose);
            }
            report.check("editor: opened without a window " + std::to_string(rounds) + " times", ok);
            if (effect && window) {
                effect->dispatch(effEditOpen, 0, 0, window->handle());
                effect->dispatch(effEditOpen, 0, 0, window->handle());
                effect->dispatch(effEditIdle);
                effect->dispatch(effEditClose);
                effect->dispatch(effEditClose);
                effect->dispatch(effEditIdle);
                report.check("editor: opened twice without a close, closed twice, idled when closed", true);
            }
        }
    }

    void idleEditor(Effect& effect, HostWindow& window, int passes) {
        for (int i = 0; i < passes; ++i) {
            window.serviceEvents();
            effect.dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    void checkEditorRounds(const std::string& name, HostWindow& window, int rounds, bool cold) {
        std::unique_ptr<Effect> effect = openEffect();
        if (!effect) {
            report.check(name, false, lastError);
            return;
        }
        if (!cold) {
            prepare(*effect, 44100.0f, 512);
        }
        for (int i = 0; i < rounds; ++i) {
            effect->dispatch(effEditOpen, 0, 0, window.handle());
            idleEditor(*effect, window, 3);
            effect->dispatch(effEditClose);
            window.serviceEvents();
        }
        report.check(name, true);
    }

    // The user-interface thread opens, idles and closes the editor while the
    // audio thread processes and a third thread automates every parameter.
    void checkEditorWhileBusy(HostWindow& window) {
        std::unique_ptr<Effect> effect = openEffect();
        if (!effect || effect->record().processReplacing == nullptr) {
            return;
        }
        AEffect& r = effect->record();
        prepare(*effect, 44100.0f, 256);
        std::atomic<bool> stop{false};
        std::atomic<bool> bad{false};
        std::thread audio([&] { processNoiseUntil(r, stop, bad); });
        std::thread automation([&] {
            std::mt19937 random(options.seed + 2);
            std::uniform_real_distribution<float> unit(0.0f, 1.0f);
            while (!stop.load()) {
                for (std::int32_t i = 0; i < r.numParams; ++i) {
                    r.setParameter(&r, i, unit(random));
                }
            }
        });
        for (int round = 0; round < 5 * options.strictness; ++round) {
            effect->dispatch(effEditOpen, 0, 0, window.handle());
            idleEditor(*effect, window, 10);
            effect->dispatch(effEditClose);
        }
        stop.store(true);
        automation.join();
        audio.join();
        report.check("editor: opened, idled and closed while processing and automating from other threads",
                     !bad.load(), bad.load() ? "non-finite or subnormal output" : "");
    }

    const Options& options;
    const PluginModule& module;
    TestHost host;
    Report report;
    std::string lastError;
    bool ours = false;
};

bool parseOptions(const Arguments& args, Options& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--strictness" && i + 1 < args.size()) {
            options.strictness = std::atoi(args[++i].c_str());
        } else if (a == "--seed" && i + 1 < args.size()) {
            options.seed = static_cast<std::uint32_t>(std::strtoul(args[++i].c_str(), nullptr, 10));
        } else if (a == "--skip-editor") {
            options.skipEditor = true;
        } else if (options.modulePath.empty() && a.rfind("--", 0) != 0) {
            options.modulePath = a;
        } else {
            std::fprintf(stderr, "stipplewave-host validate: unexpected argument '%s'\n", a.c_str());
            return false;
        }
    }
    if (options.strictness < 1 || options.strictness > 10) {
        std::fprintf(stderr, "stipplewave-host validate: --strictness takes 1 to 10\n");
        return false;
    }
    return !options.modulePath.empty();
}

}  // namespace

int runValidate(const Arguments& args) {
    Options options;
    if (!parseOptions(args, options)) {
        std::fprintf(stderr,
                     "usage: stipplewave-host validate MODULE [--strictness 1..10] [--seed N] [--skip-editor]\n");
        return 2;
    }
    std::string error;
    std::unique_ptr<PluginModule> module = PluginModule::load(options.modulePath, error);
    if (!module) {
        std::printf("[FAIL] load %s: %s\n0 passed, 1 failed\n", options.modulePath.c_str(), error.c_str());
        return 1;
    }
    std::printf("[PASS] load %s\n", options.modulePath.c_str());
    Validator validator(options, *module);
    const int result = validator.run();
    return result;
}

}  // namespace vsthost
