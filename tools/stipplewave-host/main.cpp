// stipplewave-host: a small command-line VST 2 host for trying effect
// modules (ours or any other) without a DAW.
#include <cstdio>
#include <cstring>

#include "tools/stipplewave-host/Commands.h"

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const vsthost::Arguments&);
};

const Command kCommands[] = {
    {"info", "info MODULE [--tempo BPM]    print the effect record, identity and parameters", vsthost::runInfo},
    {"validate", "validate MODULE [--strictness 1..10] [--seed N] [--skip-editor]\n"
                 "                               check a module the way plug-in validators do",
     vsthost::runValidate},
#if defined(STIPPLEWAVE_HOST_RENDER)
    {"render", "render MODULE --in IN --out OUT [--bpm N] [--host-tempo N] [--set NAME=VALUE]...\n"
               "         [--block N] [--rate N]\n"
               "                               run an audio file through the effect (render --help: details)",
     vsthost::runRender},
#endif
#if defined(STIPPLEWAVE_HOST_EDITOR)
    {"snapshot", "snapshot MODULE --out editor.png [--set NAME=VALUE]... [--idle-ms N]\n"
                 "                               open the editor in an X11 window and save it as a PNG",
     vsthost::runSnapshot},
    {"edit", "edit MODULE [--set NAME=VALUE]...\n"
             "                               open the editor for use; prints the automation it sends",
     vsthost::runEdit},
#endif
};

void printUsage(std::FILE* out) {
    std::fprintf(out, "usage: stipplewave-host COMMAND ...\n\ncommands:\n");
    for (const Command& command : kCommands) {
        std::fprintf(out, "  %s\n", command.usage);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0) {
            return command.run(vsthost::Arguments(argv + 2, argv + argc));
        }
    }
    std::fprintf(stderr, "stipplewave-host: unknown command '%s'\n", argv[1]);
    printUsage(stderr);
    return 2;
}
