// The spare rule of every route.
#include "process/SparePolicy.h"

#include "process/ProgramName.h"
#include "process/SystemProcesses.h"

namespace norvanex {

Spare SparePolicy::Decide(const SpareCandidate& candidate) const {
    if (candidate.processId == selfId_) return Spare::Self;
    if (candidate.critical != Criticality::Unknown) {
        return candidate.critical == Criticality::Critical ? Spare::Critical : Spare::No;
    }
    if (!candidate.name.empty()) {
        const std::string_view name = FileNamePart(candidate.name, isLeadByte_);
        const bool systemName = candidate.nameIsStem ? IsSystemProcessStem(name, isLeadByte_)
                                                     : IsSystemProcessName(name, isLeadByte_);
        if (!systemName) return Spare::No;
    }
    const std::string path = candidate.readPath ? candidate.readPath() : std::string();
    if (path.empty()) return Spare::PathUnreadable;
    return IsSystemProcess(path, windowsFolder_, isLeadByte_) ? Spare::SessionProcess : Spare::No;
}

}  // namespace norvanex
