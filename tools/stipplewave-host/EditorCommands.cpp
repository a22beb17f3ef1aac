// stipplewave-host snapshot and edit: an effect's editor opened inside a
// host window on the X server, idled as a host idles it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tools/hostlib/Effect.h"
#include "tools/hostlib/X11HostWindow.h"
#include "tools/stipplewave-host/Commands.h"
#include "toolkit/raster/PngWriter.h"

namespace vsthost {

namespace {

using namespace stipplewave;

constexpr auto kIdlePeriod = std::chrono::milliseconds(33);  // about 30 Hz, as hosts idle editors

struct EditorOptions {
    std::string modulePath;
    std::string outPath;
    std::vector<std::pair<std::string, float>> settings;
    int idleMilliseconds = 500;
};

struct CommandError {
    int exitCode;
    std::string message;
};

EditorOptions parseEditorOptions(const Arguments& args, bool snapshot) {
    EditorOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--out" || arg == "--set" || arg == "--idle-ms";
        if (takesValue && i + 1 >= args.size()) {
            throw CommandError{2, arg + " needs a value"};
        }
        if (snapshot && arg == "--out") {
            options.outPath = args[++i];
        } else if (arg == "--set") {
            const std::string& text = args[++i];
            const std::size_t equals = text.rfind('=');
            char* end = nullptr;
            const double value = equals == std::string::npos ? 0.0 : std::strtod(text.c_str() + equals + 1, &end);
            if (equals == std::string::npos || equals == 0 || end == text.c_str() + equals + 1 || *end != 0 ||
                value < 0.0 || value > 1.0) {
                throw CommandError{2, "--set needs NAME=VALUE with a normalised value 0 to 1, not '" + text + "'"};
            }
            options.settings.emplace_back(text.substr(0, equals), static_cast<float>(value));
        } else if (snapshot && arg == "--idle-ms") {
            options.idleMilliseconds = std::atoi(args[++i].c_str());
            if (options.idleMilliseconds < 0) {
                throw CommandError{2, "--idle-ms needs a number of milliseconds"};
            }
        } else if (arg.rfind("--", 0) != 0 && options.modulePath.empty()) {
            options.modulePath = arg;
        } else {
            throw CommandError{2, "unexpected argument '" + arg + "'"};
        }
    }
    if (options.modulePath.empty() || (snapshot && options.outPath.empty())) {
        throw CommandError{2, snapshot ? "usage: stipplewave-host snapshot MODULE --out editor.png [--set NAME=VALUE]... "
                                         "[--idle-ms N]"
                                       : "usage: stipplewave-host edit MODULE [--set NAME=VALUE]..."};
    }
    return options;
}

// A loaded module, one effect with the settings applied, and a host window
// of its editor's size with the editor open inside.
class EditorSession {
public:
    EditorSession(const EditorOptions& options, const char* title) {
        std::string error;
        module = PluginModule::load(options.modulePath, error);
        if (!module) {
            throw CommandError{1, error};
        }
        effect = Effect::open(host, *module, error);
        if (!effect) {
            throw CommandError{1, error};
        }
        if ((effect->record().flags & effFlagsHasEditor) == 0) {
            throw CommandError{1, options.modulePath + " has no editor"};
        }
        for (const auto& setting : options.settings) {
            const std::int32_t index = effect->findParameter(setting.first);
            if (index < 0) {
                throw CommandError{1, "unknown parameter '" + trimmed(setting.first) +
                                          "' (stipplewave-host info MODULE lists the names)"};
            }
            effect->setParameter(index, setting.second);
        }
        ERect* rect = nullptr;
        effect->dispatch(effEditGetRect, 0, 0, &rect);
        if (rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top) {
            throw CommandError{1, "the editor reports no size"};
        }
        window = X11HostWindow::open(rect->right - rect->left, rect->bottom - rect->top, title, error);
        if (!window) {
            throw CommandError{1, error};
        }
        window->waitUntilMapped(2000);
        effect->dispatch(effEditOpen, 0, 0, window->handle());
        editorOpen = true;
    }
    ~EditorSession() {
        if (editorOpen) {
            effect->dispatch(effEditClose);
        }
    }

    // One idle tick: the window's events, then the editor's idle. False
    // once the user closed the window.
    bool idle() {
        const bool open = window->serviceEvents();
        effect->dispatch(effEditIdle);
        return open;
    }

    TestHost host;
    std::unique_ptr<PluginModule> module;
    std::unique_ptr<Effect> effect;
    std::unique_ptr<X11HostWindow> window;
    bool editorOpen = false;
};

void printEditRequests(EditorSession& session) {
    for (const HostRequest& request : session.host.requests()) {
        const std::string name = trimmed(session.effect->parameterName(request.index));
        if (request.opcode == audioMasterAutomate) {
            std::printf("automate %2d %-10s %.6f\n", request.index, name.c_str(), static_cast<double>(request.opt));
        } else if (request.opcode == audioMasterBeginEdit) {
            std::printf("begin edit %2d %s\n", request.index, name.c_str());
        } else if (request.opcode == audioMasterEndEdit) {
            std::printf("end edit %2d %s\n", request.index, name.c_str());
        }
    }
    std::fflush(stdout);
    session.host.clearRequests();
}

int reportError(const char* command, const CommandError& error) {
    std::fprintf(stderr, "stipplewave-host %s: %s\n", command, error.message.c_str());
    return error.exitCode;
}

}  // namespace

int runSnapshot(const Arguments& args) {
    try {
        const EditorOptions options = parseEditorOptions(args, true);
        EditorSession session(options, "stipplewave-host snapshot");
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.idleMilliseconds);
        do {
            session.idle();
            std::this_thread::sleep_for(kIdlePeriod);
        } while (std::chrono::steady_clock::now() < until);
        session.idle();
        std::vector<std::uint32_t> pixels;
        if (!session.window->readPixels(pixels)) {
            throw CommandError{1, "cannot read the window's pixels"};
        }
        if (!raster::writePng(options.outPath, session.window->width(), session.window->height(), pixels)) {
            throw CommandError{1, "cannot write " + options.outPath};
        }
        std::printf("wrote %s (%d x %d)\n", options.outPath.c_str(), session.window->width(),
                    session.window->height());
        return 0;
    } catch (const CommandError& error) {
        return reportError("snapshot", error);
    }
}

int runEdit(const Arguments& args) {
    try {
        const EditorOptions options = parseEditorOptions(args, false);
        EditorSession session(options, "Stipplewave");
        std::printf("editor open; close its window to end\n");
        std::fflush(stdout);
        session.host.clearRequests();
        while (session.idle()) {
            printEditRequests(session);
            std::this_thread::sleep_for(kIdlePeriod);
        }
        printEditRequests(session);
        return 0;
    } catch (const CommandError& error) {
        return reportError("edit", error);
    }
}

}  // namespace vsthost
