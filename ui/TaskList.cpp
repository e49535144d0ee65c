// The task chooser's collection and refill rules over the process access.
#include "ui/TaskList.h"

#include <exception>

#include "process/ProcessAccess.h"

namespace norvanex {

namespace {

bool NamesAFolder(const std::string& text, LeadByteFn isLeadByte) {
    // A 9x snapshot gives the whole path, an NT snapshot only the file name. The trail byte 0x5C
    // of a double-byte character (the "so" of katakana in code page 932) is no backslash: taken
    // for one, the process would be listed without its path.
    return NamePartStart(text, "\\:", isLeadByte) != 0;
}

TaskText NotExact(ProcessAccess& processes, std::u16string wide) {
    return {processes.ToAnsi(wide).text, false, std::move(wide)};
}

void CollectFromPerfData(ProcessAccess& processes, std::vector<TaskText>& texts) {
    ProcessNameList entries;
    try {
        processes.ListProcessesFromPerfData(entries);
    } catch (const std::exception&) {
        // Data that cannot be read lists nothing; the snapshot takes over.
        return;
    }
    for (ProcessNameEntry& entry : entries) {
        ImagePathRead path = processes.ReadImagePath(entry.id);
        if (!path.exact) {
            texts.push_back(entry.exact ? TaskText{entry.name, true, {}} : NotExact(processes, std::move(path.wide)));
            continue;
        }
        if (!path.path.empty()) {
            texts.push_back({std::move(path.path), true, {}});
            continue;
        }
        if (!entry.exact) {
            if (!entry.wide.empty()) texts.push_back(NotExact(processes, std::move(entry.wide)));
            continue;
        }
        // "Idle", "System" and "_Total" are no programs one could end; with a path a process
        // of that name is one.
        if (entry.name.empty() || IsPseudoProcessName(entry.name)) continue;
        texts.push_back({entry.name, true, {}});
    }
}

void CollectFromSnapshot(ProcessAccess& processes, std::vector<TaskText>& texts) {
    const LeadByteFn lead = processes.LeadBytes();
    processes.WalkSnapshot([&](const SnapshotEntry& entry) {
        if (!entry.exact) {
            // Shown like the others under its full path, as the system holds it.
            ImagePathRead path = processes.ReadImagePath(entry.processId);
            std::u16string shown = path.wide.empty() ? entry.wide : std::move(path.wide);
            texts.push_back(NotExact(processes, std::move(shown)));
            return;
        }
        // A bare file name has the generic icon and no properties sheet; the path names the same
        // program and is what the performance-data step would have listed for it. One that does
        // not survive the code page would name nothing, so the exact bare name stays.
        std::string text;
        if (!NamesAFolder(entry.exeFile, lead)) text = processes.GetProcessImagePath(entry.processId);
        texts.push_back({text.empty() ? entry.exeFile : std::move(text), true, {}});
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
    try {
        CollectFromPerfData(processes, texts);
    } catch (const std::exception&) {
        // What was collected before the failure stays.
    }
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
