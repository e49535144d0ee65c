// The floor of the closing kill run: one snapshot, a handle that can be waited on for every process
// whose executable is the given name, one walk over the top-level windows posting WM_CLOSE to each
// window of those processes, then a wait until all of them have ended. Nothing else.
//   close_floor.exe NAME
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <vector>

namespace {

struct Victims {
    std::vector<DWORD> ids;  // sorted
};

BOOL CALLBACK PostClose(HWND window, LPARAM victims) {
    const std::vector<DWORD>& ids = reinterpret_cast<Victims*>(victims)->ids;
    DWORD owner = 0;
    if (GetWindowThreadProcessId(window, &owner) && std::binary_search(ids.begin(), ids.end(), owner)) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR name, int) {
    Victims victims;
    std::vector<HANDLE> processes;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, name) != 0) continue;
        if (const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            processes.push_back(process);
            victims.ids.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    std::sort(victims.ids.begin(), victims.ids.end());
    EnumWindows(PostClose, reinterpret_cast<LPARAM>(&victims));

    // One wait takes at most MAXIMUM_WAIT_OBJECTS handles.
    for (std::size_t first = 0; first < processes.size(); first += MAXIMUM_WAIT_OBJECTS) {
        const DWORD count = static_cast<DWORD>(std::min<std::size_t>(MAXIMUM_WAIT_OBJECTS, processes.size() - first));
        WaitForMultipleObjects(count, processes.data() + first, TRUE, INFINITE);
    }
    for (const HANDLE process : processes) CloseHandle(process);
    return 0;
}
