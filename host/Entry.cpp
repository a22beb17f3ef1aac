// The module's exported entry. Hosts look for `VSTPluginMain` or `main`;
// both names lead to the same function. C++ forbids defining a `main` that
// does not return int, so the second name is given at the assembler level
// (Linux) or by the module definition file (Windows).
#include <new>

#include "engine/StepMixerEdit.h"
#include "host/Module.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

stipplewave::HostEffect* newEffect(stipplewave::AudioMasterCallback hostCallback) {
    return new (std::nothrow) stipplewave::StepMixerEdit(hostCallback);
}

}  // namespace

extern "C" {

#if defined(_WIN32)
// Exported through the module definition file only.
stipplewave::AEffect* VSTPluginMain(stipplewave::AudioMasterCallback hostCallback) {
    return stipplewave::createEffect(hostCallback, newEffect);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    stipplewave::setModuleInstance(instance);
    return TRUE;
}
#else
__attribute__((visibility("default"))) stipplewave::AEffect* VSTPluginMain(
    stipplewave::AudioMasterCallback hostCallback) {
    return stipplewave::createEffect(hostCallback, newEffect);
}

__attribute__((visibility("default"))) stipplewave::AEffect* vstMainAlias(
    stipplewave::AudioMasterCallback hostCallback) __asm__("main");
stipplewave::AEffect* vstMainAlias(stipplewave::AudioMasterCallback hostCallback) {
    return VSTPluginMain(hostCallback);
}

// The module's load base stands in for the Windows instance handle.
__attribute__((constructor)) static void recordModuleInstance() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&recordModuleInstance), &info) != 0) {
        stipplewave::setModuleInstance(info.dli_fbase);
    }
}
#endif

}  // extern "C"
