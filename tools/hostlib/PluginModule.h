// A VST 2 effect module loaded the way a host loads it: by path, with the
// entry looked up as `VSTPluginMain` first and `main` second.
#pragma once

#include <memory>
#include <string>

#include "host/AEffect.h"

namespace vsthost {

using stipplewave::AEffect;
using stipplewave::AudioMasterCallback;
using EntryProc = AEffect* (*)(AudioMasterCallback);

class PluginModule {
public:
    // Null, with `error` filled, when the file cannot be loaded or exports
    // neither entry name.
    static std::unique_ptr<PluginModule> load(const std::string& path, std::string& error);
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    EntryProc entry() const { return entryProc; }
    const std::string& entryName() const { return entrySymbol; }
    const std::string& path() const { return modulePath; }

private:
    PluginModule() = default;
    void* handle = nullptr;
    EntryProc entryProc = nullptr;
    std::string entrySymbol;
    std::string modulePath;
};

}  // namespace vsthost
