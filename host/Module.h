// Module-wide state and the effect factory behind the exported entry.
//
// Threading: `moduleInstance` is written once, when the platform loads the
// module, before any host call. The editor-creation failure is reported per
// thread: an effect is constructed and checked on the one thread that runs
// `main`, so a failure on one thread cannot refuse another thread's effect,
// and each `main` starts with the report cleared.
#pragma once

#include "host/AEffect.h"

namespace stipplewave {

class HostEffect;

// The module's instance handle (HINSTANCE on Windows; the module's load base
// on Linux). Null when the code runs outside a loaded module, as in tests.
void* moduleInstance();
void setModuleInstance(void* instance);

// Set by an effect whose editor could not be created; read and cleared by
// createEffect on the same thread.
void reportEditorCreationFailed();

using EffectFactory = HostEffect* (*)(AudioMasterCallback hostCallback);

// What the exported entry does: asks the host's version (a host that answers
// 0 gets nothing), builds one effect with the factory and hands out its
// record, or null when the effect or its editor could not be made.
AEffect* createEffect(AudioMasterCallback hostCallback, EffectFactory factory);

}  // namespace stipplewave
