#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/hostlib/Effect.h"
#include "tools/stipplewave-host/Commands.h"

namespace vsthost {

namespace {

void printRecord(const AEffect& record) {
    std::printf("record\n");
    std::printf("  magic            0x%08X\n", static_cast<unsigned>(record.magic));
    std::printf("  numPrograms      %d\n", record.numPrograms);
    std::printf("  numParams        %d\n", record.numParams);
    std::printf("  numInputs        %d\n", record.numInputs);
    std::printf("  numOutputs       %d\n", record.numOutputs);
    std::printf("  flags            0x%X\n", static_cast<unsigned>(record.flags));
    std::printf("  initialDelay     %d\n", record.initialDelay);
    std::printf("  ioRatio          %g\n", static_cast<double>(record.ioRatio));
    std::printf("  uniqueID         0x%08X (%s)\n", static_cast<unsigned>(record.uniqueID),
                fourCharacters(record.uniqueID).c_str());
    std::printf("  version          %d\n", record.version);
}

void printIdentity(Effect& effect) {
    std::printf("identity\n");
    std::printf("  vendor           \"%s\"\n", effect.vendorString().c_str());
    std::printf("  product          \"%s\"\n", effect.productString().c_str());
    std::printf("  effect name      \"%s\"\n", effect.effectName().c_str());
    std::printf("  vendor version   %ld\n", static_cast<long>(effect.dispatch(stipplewave::effGetVendorVersion)));
    std::printf("  program          %ld \"%s\"\n", static_cast<long>(effect.dispatch(stipplewave::effGetProgram)),
                effect.programName().c_str());
}

void printParameters(Effect& effect) {
    std::printf("parameters\n");
    std::printf("  %5s  %-24s %-10s %s\n", "index", "name", "label", "value");
    for (std::int32_t i = 0; i < effect.record().numParams; ++i) {
        std::printf("  %5d  %-24s %-10s %.8g\n", i, ("\"" + effect.parameterName(i) + "\"").c_str(),
                    ("\"" + effect.parameterLabel(i) + "\"").c_str(), static_cast<double>(effect.getParameter(i)));
    }
}

}  // namespace

int runInfo(const Arguments& args) {
    std::string modulePath;
    double tempo = 0.0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--tempo" && i + 1 < args.size()) {
            tempo = std::atof(args[++i].c_str());
        } else if (modulePath.empty() && args[i].rfind("--", 0) != 0) {
            modulePath = args[i];
        } else {
            std::fprintf(stderr, "stipplewave-host info: unexpected argument '%s'\n", args[i].c_str());
            return 2;
        }
    }
    if (modulePath.empty()) {
        std::fprintf(stderr, "usage: stipplewave-host info MODULE [--tempo BPM]\n");
        return 2;
    }
    std::string error;
    auto module = PluginModule::load(modulePath, error);
    if (!module) {
        std::fprintf(stderr, "stipplewave-host info: %s\n", error.c_str());
        return 1;
    }
    TestHost host;
    host.setTempo(static_cast<VstIntPtr>(tempo * 10000.0));
    auto effect = Effect::open(host, *module, error);
    if (!effect) {
        std::fprintf(stderr, "stipplewave-host info: %s\n", error.c_str());
        return 1;
    }
    std::printf("module           %s (entry %s)\n", modulePath.c_str(), module->entryName().c_str());
    printRecord(effect->record());
    printIdentity(*effect);
    printParameters(*effect);
    return 0;
}

}  // namespace vsthost
