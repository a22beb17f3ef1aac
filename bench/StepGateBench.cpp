// Speed of the step gate. Each routine runs on blocks of 64, 512 and 4096
// samples against two yardsticks on the same buffers: the sample-by-sample
// reference that the tests compare it with, and the memory-traffic floor, a
// plain loop that reads both inputs and writes their sum to both outputs
// (for the accumulating routine, one that adds the sum to both outputs).
// A summary with nanoseconds per sample and the two ratios follows the
// usual table.
//
// Two settings, both with Randomize 0.5 and an editor attached: the default
// pattern at 120 beats per minute (a step every 5514 samples, a bar every
// 88201), and a busy one at 1000 beats per minute (a step every 662 samples,
// a bar every 10585), where most blocks hold a step change and runs start at
// arbitrary offsets.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "editor/EditorBase.h"
#include "engine/StepMixer.h"
#include "tests/engine/ReferenceStepGate.h"

namespace {

using namespace stipplewave;

constexpr float kRandomize = 0.5f;
constexpr std::int64_t kBlockSizes[] = {64, 512, 4096};

struct Setting {
    const char* prefix;  // of the benchmark names
    float bpmParameter;
};
constexpr Setting kSettings[] = {{"", 0.48f}, {"busy/", 4.0f}};

VstIntPtr benchHost(AEffect*, std::int32_t opcode, std::int32_t, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// One set of buffers for every benchmark, so that the effect, the reference
// and the floor all work on the very same memory.
struct Buffers {
    explicit Buffers(std::size_t frames) : in0(frames), in1(frames), out0(frames), out1(frames) {
        std::mt19937 rng(7);
        std::uniform_real_distribution<float> level(-1.0f, 1.0f);
        for (std::size_t i = 0; i < frames; ++i) {
            in0[i] = level(rng);
            in1[i] = level(rng);
        }
        inputs[0] = in0.data();
        inputs[1] = in1.data();
        outputs[0] = out0.data();
        outputs[1] = out1.data();
    }
    std::vector<float> in0, in1, out0, out1;
    float* inputs[2];
    float* outputs[2];
};

Buffers& sharedBuffers() {
    static Buffers buffers(4096);
    return buffers;
}

// The floors, kept out of line so that they see the buffers as opaquely as
// the effect does.
__attribute__((noinline)) void floorReplacing(float** inputs, float** outputs, std::int32_t frames) {
    const float* left = inputs[0];
    const float* right = inputs[1];
    float* out0 = outputs[0];
    float* out1 = outputs[1];
    for (std::int32_t i = 0; i < frames; ++i) {
        const float sum = left[i] + right[i];
        out0[i] = sum;
        out1[i] = sum;
    }
}

__attribute__((noinline)) void floorAccumulating(float** inputs, float** outputs, std::int32_t frames) {
    const float* left = inputs[0];
    const float* right = inputs[1];
    float* out0 = outputs[0];
    float* out1 = outputs[1];
    for (std::int32_t i = 0; i < frames; ++i) {
        const float sum = left[i] + right[i];
        out0[i] = out0[i] + sum;
        out1[i] = out1[i] + sum;
    }
}

void setSamples(benchmark::State& state, std::int64_t frames) {
    state.SetItemsProcessed(state.iterations() * frames);
    state.counters["ns/sample"] =
        benchmark::Counter(static_cast<double>(state.iterations() * frames) * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

template <bool Accumulate>
void gate(benchmark::State& state, float bpmParameter) {
    const auto frames = static_cast<std::int32_t>(state.range(0));
    StepMixer effect(benchHost);
    EditorBase* editor = new EditorBase(&effect);  // owned by the effect
    (void)editor;
    effect.setParameter(StepMixer::kBpmParam, bpmParameter);
    effect.setParameter(StepMixer::kRandomizeParam, kRandomize);
    AEffect* record = effect.getRecord();
    const ProcessProc routine = Accumulate ? record->process : record->processReplacing;
    Buffers& buffers = sharedBuffers();
    for (auto _ : state) {
        routine(record, buffers.inputs, buffers.outputs, frames);
        benchmark::ClobberMemory();
    }
    setSamples(state, frames);
}

template <bool Accumulate>
void referenceGate(benchmark::State& state, float bpmParameter) {
    const auto frames = static_cast<std::int32_t>(state.range(0));
    reference::ReferenceStepGate gate([] { return VstIntPtr{0}; }, 44100.0f);
    gate.setParameter(StepMixer::kBpmParam, bpmParameter);
    gate.setParameter(StepMixer::kRandomizeParam, kRandomize);
    Buffers& buffers = sharedBuffers();
    for (auto _ : state) {
        if (Accumulate) {
            gate.process(buffers.inputs, buffers.outputs, frames);
        } else {
            gate.processReplacing(buffers.inputs, buffers.outputs, frames);
        }
        benchmark::ClobberMemory();
    }
    setSamples(state, frames);
}

template <bool Accumulate>
void memoryFloor(benchmark::State& state) {
    const auto frames = static_cast<std::int32_t>(state.range(0));
    Buffers& buffers = sharedBuffers();
    for (auto _ : state) {
        (Accumulate ? floorAccumulating : floorReplacing)(buffers.inputs, buffers.outputs, frames);
        benchmark::ClobberMemory();
    }
    setSamples(state, frames);
}

void blockSizes(benchmark::internal::Benchmark* benchmark) {
    for (std::int64_t size : kBlockSizes) {
        benchmark->Arg(size);
    }
    benchmark->Unit(benchmark::kNanosecond);
}

void registerBenchmarks() {
    for (const Setting& setting : kSettings) {
        const std::string prefix = setting.prefix;
        const float bpm = setting.bpmParameter;
        benchmark::RegisterBenchmark((prefix + "processReplacing").c_str(), gate<false>, bpm)->Apply(blockSizes);
        benchmark::RegisterBenchmark((prefix + "reference/processReplacing").c_str(), referenceGate<false>, bpm)
            ->Apply(blockSizes);
        benchmark::RegisterBenchmark((prefix + "process").c_str(), gate<true>, bpm)->Apply(blockSizes);
        benchmark::RegisterBenchmark((prefix + "reference/process").c_str(), referenceGate<true>, bpm)
            ->Apply(blockSizes);
    }
    benchmark::RegisterBenchmark("floor/replacing", memoryFloor<false>)->Apply(blockSizes);
    benchmark::RegisterBenchmark("floor/accumulating", memoryFloor<true>)->Apply(blockSizes);
}

// Keeps each run's time per sample (the last repetition, or the median when
// there are aggregates) and prints the ratios at the end.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") {
                continue;
            }
            const std::string name = run.run_name.function_name + "/" + run.run_name.args;
            nsPerIteration[name] = run.GetAdjustedRealTime();
        }
    }

    void printSummary() const {
        if (nsPerIteration.empty()) {
            return;
        }
        std::printf("\nns per sample, and ratios (goals at 512: within 1.25x of the floor, 5x or more faster than "
                    "the reference)\n");
        std::printf("%-22s %6s %9s %9s %9s %12s %12s\n", "routine", "block", "gate", "floor", "reference",
                    "gate/floor", "ref/gate");
        for (const Setting& setting : kSettings) {
            const std::string prefix = setting.prefix;
            printRoutine(prefix + "processReplacing", "floor/replacing", prefix + "reference/processReplacing");
            printRoutine(prefix + "process", "floor/accumulating", prefix + "reference/process");
        }
    }

private:
    void printRoutine(const std::string& gateName, const std::string& floorName,
                      const std::string& referenceName) const {
        for (std::int64_t size : kBlockSizes) {
            const std::string arg = "/" + std::to_string(size);
            const auto gateTime = nsPerIteration.find(gateName + arg);
            const auto floorTime = nsPerIteration.find(floorName + arg);
            const auto referenceTime = nsPerIteration.find(referenceName + arg);
            if (gateTime == nsPerIteration.end() || floorTime == nsPerIteration.end() ||
                referenceTime == nsPerIteration.end()) {
                continue;
            }
            const double samples = static_cast<double>(size);
            std::printf("%-22s %6lld %9.4f %9.4f %9.4f %11.2fx %11.1fx\n", gateName.c_str(),
                        static_cast<long long>(size), gateTime->second / samples, floorTime->second / samples,
                        referenceTime->second / samples, gateTime->second / floorTime->second,
                        referenceTime->second / gateTime->second);
        }
    }

    std::map<std::string, double> nsPerIteration;
};

}  // namespace

int main(int argc, char** argv) {
    registerBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary();
    benchmark::Shutdown();
    return 0;
}
