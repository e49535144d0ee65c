// A scripted platform with the process access over it, set up the way every table row needs it.
#pragma once

#include <initializer_list>

#include "fakes/FakeProcessPlatform.h"
#include "process/ProcessAccess.h"

namespace norvanex::fake {

using Script = void (*)(FakeProcessPlatform&);
inline void Unscripted(FakeProcessPlatform&) {}

struct ScriptedAccess {
    // Runs the scripts in order. The access reads the platform's facts as they are when asked, so
    // a row may still change them.
    explicit ScriptedAccess(std::initializer_list<Script> scripts) {
        for (Script script : scripts) script(platform);
    }

    FakeProcessPlatform platform;
    ProcessAccess access{platform, platform.facts};
};

}  // namespace norvanex::fake
