// The chooser's wait: from TaskSelect().ShowModal until the filled list is painted, with N extra
// windowless processes running, against chooser_floor.exe (one snapshot, a plain list view, no
// icons) with the same texts and with the snapshot's bare names. Each figure is the median of
// RUNS runs after one unseen warm-up; the three take turns within a run (the chooser and the floor
// with the same texts in either order by turns), and each ratio is the median of the runs' own
// ratios, so that a load that comes and goes between runs weighs less.
//   chooser_bench.exe OUTPUT-FILE [RUNS]
// chooser_floor.exe and bench_victim.exe lie beside this program; it needs a display.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "base/AppInfo_win.h"
#include "process/ProcessAccess.h"
#include "ui/TaskList.h"
#include "ui/TaskSel_win.h"
#include "ui/TaskSelLayout.h"

using namespace bench;

namespace {

constexpr int kExtraProcesses = 200;

[[noreturn]] void Fail(const char* what) { bench::Fail("chooser_bench", what); }

double shownAt = 0;

// Posted before ShowModal: it is read by the chooser's own loop, which runs only once the filled
// dialog is on screen and painted; it notes the time and closes the chooser.
LRESULT CALLBACK StopwatchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        shownAt = NowMs();
        PostMessageA(norvanex::TaskSelect().hwnd(), WM_CLOSE, 0, 0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

struct Shown {
    double ms;
    int rows;
};

// Before each timed showing: the window of the program that ran just before (a floor) has gone,
// and the desktop repaints where it stood; timed at once, the chooser's first picture would share
// the screen with that, where the floor's own untimed warm-up lets it pass.
constexpr DWORD kSettleMs = 200;

Shown TimeChooser(HWND owner, HWND stopwatch) {
    Sleep(kSettleMs);
    norvanex::TaskChoice choice;
    const double start = NowMs();
    PostMessageA(stopwatch, WM_APP, 0, 0);
    norvanex::TaskSelect().ShowModal(owner, choice);
    if (choice.result != 0) Fail("the chooser did not close as declined");
    return {shownAt - start, ListView_GetItemCount(GetDlgItem(norvanex::TaskSelect().hwnd(), norvanex::tasksel::kTasks))};
}

Shown TimeFloor(const std::string& folder, const char* mode) {
    const std::string out = folder + "\\floor.txt";
    DeleteFileA(out.c_str());
    if (!RunToEnd("\"" + folder + "\\chooser_floor.exe\" " + mode + " \"" + out + "\"")) Fail("cannot run the floor");
    double micros = 0;
    int rows = 0;
    std::ifstream in(out);
    if (!(in >> micros >> rows)) Fail("the floor wrote nothing");
    return {micros / 1000.0, rows};
}

std::string Ms(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", ms);
    return text;
}

std::string Ratio(double ratio) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", ratio);
    return text;
}

// The median of the runs' own ratios a[i] / b[i].
double RatioMedian(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (b[i] > 0) ratios.push_back(a[i] / b[i]);
    }
    return ratios.empty() ? 0.0 : Median(ratios);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) Fail("usage: chooser_bench.exe OUTPUT-FILE [RUNS]");
    const int runs = argc > 2 ? std::max(3, std::atoi(argv[2])) : 9;
    const std::string folder = Folder();
    const std::string victim = folder + "\\" + kVictimName;
    if (!CopyFileA((folder + "\\bench_victim.exe").c_str(), victim.c_str(), FALSE)) Fail("cannot copy the victim");
    char path[MAX_PATH + 1] = {};
    norvanex::App().exePath.assign(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    if (CountVictims() != 0) Fail("victims of an earlier run are still there");
    if (!StartVictims(victim, kExtraProcesses)) Fail("cannot start the extra processes");

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA stopwatchClass{};
    stopwatchClass.lpfnWndProc = StopwatchProc;
    stopwatchClass.hInstance = instance;
    stopwatchClass.lpszClassName = "ChooserBenchStopwatch";
    RegisterClassA(&stopwatchClass);
    HWND stopwatch = CreateWindowExA(0, stopwatchClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     instance, nullptr);
    // What the editor has done before its chooser can be shown: the shell's image lists asked for.
    const std::string root = norvanex::App().exePath.substr(0, 3);
    norvanex::QuerySystemImageLists(root);
    HWND owner = CreateWindowExA(0, WC_STATICA, "Editor stand-in", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 377, 305,
                                 nullptr, nullptr, instance, nullptr);
    const double createStart = NowMs();
    if (!norvanex::TaskSelect().Create(instance, owner)) Fail("cannot create the chooser");
    const double created = NowMs() - createStart;

    const double firstShowing = TimeChooser(owner, stopwatch).ms;
    std::vector<double> chooser, samePaths, bareNames;
    int rows = 0, floorRows = 0;
    // The chooser and the floor with the same texts next to each other, in either order by turns.
    for (int run = 0; run < runs; ++run) {
        Shown shown{}, floor{};
        if (run % 2 == 0) {
            shown = TimeChooser(owner, stopwatch);
            floor = TimeFloor(folder, "paths");
        } else {
            floor = TimeFloor(folder, "paths");
            shown = TimeChooser(owner, stopwatch);
        }
        chooser.push_back(shown.ms);
        rows = shown.rows;
        samePaths.push_back(floor.ms);
        floorRows = floor.rows;
        bareNames.push_back(TimeFloor(folder, "names").ms);
    }

    std::string table =
        "| rows | chooser (ShowModal to painted) | floor, same texts | ratio | floor, snapshot names | ratio |\n"
        "|---:|---:|---:|---:|---:|---:|\n";
    table += "| " + std::to_string(rows) + " (floor " + std::to_string(floorRows) + ") | " + Ms(Median(chooser)) +
             " | " + Ms(Median(samePaths)) + " | " + Ratio(RatioMedian(chooser, samePaths)) + " | " +
             Ms(Median(bareNames)) + " | " + Ratio(RatioMedian(chooser, bareNames)) + " |\n";
    table += "\nEach run's ratio to the same texts:";
    for (std::size_t i = 0; i < chooser.size(); ++i) table += " " + Ratio(chooser[i] / samePaths[i]);
    table += ".\n";

    // Where the chooser's time goes: its parts, each timed alone over the same processes.
    std::vector<double> collect, perf, walk, paths, icons, iconsWithHandle;
    std::size_t distinct = 0;
    for (int run = 0; run < runs; ++run) {
        double t = NowMs();
        const std::vector<norvanex::TaskText> tasks = norvanex::CollectTaskTexts(norvanex::Processes());
        collect.push_back(NowMs() - t);
        t = NowMs();
        norvanex::ProcessNameList list;
        norvanex::Processes().ListProcessesFromPerfData(list);
        perf.push_back(NowMs() - t);
        std::vector<std::uint32_t> ids;
        t = NowMs();
        norvanex::Processes().WalkSnapshot([&](const norvanex::SnapshotEntry& e) { ids.push_back(e.processId); });
        walk.push_back(NowMs() - t);
        t = NowMs();
        for (std::uint32_t id : ids) norvanex::Processes().GetProcessImagePath(id);
        paths.push_back(NowMs() - t);
        std::vector<std::string> unique;
        for (const norvanex::TaskText& task : tasks) unique.push_back(task.text);
        std::sort(unique.begin(), unique.end());
        unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
        distinct = unique.size();
        t = NowMs();
        for (const std::string& text : unique) norvanex::GetFileIconIndexOnly(text);
        icons.push_back(NowMs() - t);
        t = NowMs();
        for (const std::string& text : unique) norvanex::GetFileIconIndex(text);
        iconsWithHandle.push_back(NowMs() - t);
    }
    table += "\nParts, each alone: collecting the texts " + Ms(Median(collect)) + " (performance data " +
             Ms(Median(perf)) + ", snapshot walk " + Ms(Median(walk)) + ", image paths " + Ms(Median(paths)) +
             "); icon indexes of the " + std::to_string(distinct) + " distinct texts " + Ms(Median(icons)) +
             " (with an icon handle made and destroyed each: " + Ms(Median(iconsWithHandle)) +
             "). Creating the hidden chooser, as its first showing does: " + Ms(created) +
             "; the first showing, which builds its controls: " + Ms(firstShowing) + " (once each).\n";
    std::ofstream(argv[1], std::ios::binary) << table;

    for (const norvanex::SnapshotEntry& entry : [] {
             std::vector<norvanex::SnapshotEntry> all;
             norvanex::Processes().WalkSnapshot([&](const norvanex::SnapshotEntry& e) { all.push_back(e); });
             return all;
         }()) {
        if (lstrcmpiA(entry.exeFile.c_str(), kVictimName) != 0) continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.processId)) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
    }
    return 0;
}
