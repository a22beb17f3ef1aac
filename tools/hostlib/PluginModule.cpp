#include "tools/hostlib/PluginModule.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace vsthost {

namespace {

#if defined(_WIN32)
// Under Wine a Unix path names a file on the Z: drive.
std::string windowsPath(const std::string& path) {
    std::string converted = path.size() > 0 && path[0] == '/' ? "Z:" + path : path;
    for (char& c : converted) {
        c = c == '/' ? '\\' : c;
    }
    return converted;
}

void* openLibrary(const std::string& path, std::string& error) {
    HMODULE module = LoadLibraryA(windowsPath(path).c_str());
    if (module == nullptr) {
        error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    }
    return reinterpret_cast<void*>(module);
}
void* findSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void closeLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
#else
void* openLibrary(const std::string& path, std::string& error) {
    // A relative name without a slash would be searched on the library path.
    const std::string name = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = "cannot load " + path + ": " + (reason != nullptr ? reason : "unknown error");
    }
    return handle;
}
void* findSymbol(void* handle, const char* name) { return dlsym(handle, name); }
void closeLibrary(void* handle) { dlclose(handle); }
#endif

}  // namespace

std::unique_ptr<PluginModule> PluginModule::load(const std::string& path, std::string& error) {
    void* handle = openLibrary(path, error);
    if (handle == nullptr) {
        return nullptr;
    }
    std::unique_ptr<PluginModule> module(new PluginModule);
    module->handle = handle;
    module->modulePath = path;
    for (const char* name : {"VSTPluginMain", "main"}) {
        if (void* symbol = findSymbol(handle, name)) {
            module->entryProc = reinterpret_cast<EntryProc>(symbol);
            module->entrySymbol = name;
            return module;
        }
    }
    error = path + " exports neither VSTPluginMain nor main: not a VST 2 effect module";
    return nullptr;
}

PluginModule::~PluginModule() {
    if (handle != nullptr) {
        closeLibrary(handle);
    }
}

}  // namespace vsthost
