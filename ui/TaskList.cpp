// The task chooser's collection and refill rules over the process access.
#include "ui/TaskList.h"

namespace norvanex {

namespace {

void CollectFromPerfData(ProcessAccess& processes, std::vector<TaskText>& texts) {
    ProcessNameList entries;
    try {
        processes.ListProcessesFromPerfData(entries);
    } catch (const MalformedPerfData&) {
        // Data that cannot be read lists nothing; the snapshot takes over.
        return;
    }
    for (const ProcessNameEntry& entry : entries) {
        if (!processes.InScope(entry.id)) continue;
        TaskText text = processes.Caption(entry.id, entry.name, entry.exact, entry.wide);
        // "Idle", "System" and "_Total" are no programs one could end; with a path a process of
        // that name is one.
        if ((text.text.empty() && text.wide.empty()) || (text.exact && IsPseudoProcessName(text.text))) continue;
        texts.push_back(std::move(text));
    }
}

void CollectFromSnapshot(ProcessAccess& processes, std::vector<TaskText>& texts) {
    processes.WalkSnapshot([&](const SnapshotEntry& entry) {
        if (!processes.InScope(entry.processId)) return;
        texts.push_back(processes.Caption(entry.processId, entry.exeFile, entry.exact, entry.wide));
    });
}

}  // namespace

bool IsPseudoProcessName(const std::string& text) {
    for (const char* pseudo : {"IDLE", "SYSTEM", "_TOTAL"}) {
        if (EqualsIgnoringAsciiCase(text, pseudo, NoLeadBytes)) return true;
    }
    return false;
}

std::vector<TaskText> CollectTaskTexts(ProcessAccess& processes) {
    std::vector<TaskText> texts;
    CollectFromPerfData(processes, texts);
    if (texts.empty()) CollectFromSnapshot(processes, texts);
    return texts;
}

std::vector<bool> MarksAfterRefill(const std::vector<TaskRow>& before,
                                   const std::vector<std::string>& captions, LeadByteFn isLeadByte) {
    std::vector<bool> taken(before.size(), false);
    std::vector<bool> marks;
    marks.reserve(captions.size());
    for (const std::string& caption : captions) {
        bool mark = false;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (taken[i] || !EqualsIgnoringAsciiCase(before[i].caption, caption, isLeadByte)) continue;
            taken[i] = true;
            mark = before[i].checked;
            break;
        }
        marks.push_back(mark);
    }
    return marks;
}

std::string RunningTasksText(std::size_t count, const std::string& runningTasks) {
    return std::to_string(count) + ' ' + runningTasks;
}

}  // namespace norvanex
