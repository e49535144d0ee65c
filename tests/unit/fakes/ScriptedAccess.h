// A scripted platform with the process access over it, set up the way every table row needs it.
#pragma once

#include <initializer_list>

#include "fakes/FakeProcessPlatform.h"
#include "process/ProcessAccess.h"

namespace norvanex::fake {

using Script = void (*)(FakeProcessPlatform&);
inline void Unscripted(FakeProcessPlatform&) {}

struct ScriptedAccess {
    // Runs the scripts in order, then checks the platform as a run does first (unless `checked`
    // is false: then the access knows no platform line, as before CheckPlatform).
    explicit ScriptedAccess(std::initializer_list<Script> scripts, bool checked = true) {
        for (Script script : scripts) script(platform);
        if (checked) access.CheckPlatform();
    }

    FakeProcessPlatform platform;
    ProcessAccess access{platform};
};

}  // namespace norvanex::fake
