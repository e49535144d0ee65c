// The floor of the chooser benchmark: one snapshot, and a list view filled with one text per
// process, no icons, no check boxes, nothing else. Writes its elapsed microseconds (from before
// the snapshot until the filled list is painted on screen) and the number of rows to the file
// given second. "paths" lists each process's image path as the kernel gives it (the texts the
// chooser shows under Wine), "names" the snapshot's own file names.
//   chooser_floor.exe paths|names OUTPUT-FILE
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Texts(bool paths) {
    std::vector<std::string> texts;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry)) {
        std::string text = entry.szExeFile;
        if (paths) {
            if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)) {
                char path[MAX_PATH * 2] = {};
                DWORD size = sizeof path;
                if (QueryFullProcessImageNameA(process, 0, path, &size)) text.assign(path, size);
                CloseHandle(process);
            }
        }
        texts.push_back(text);
    }
    CloseHandle(snapshot);
    return texts;
}

void Fill(HWND list, const std::vector<std::string>& texts) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    for (size_t i = 0; i < texts.size(); ++i) {
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(texts[i].c_str());
        ListView_InsertItem(list, &item);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const bool paths = std::strcmp(argv[1], "paths") == 0;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, WC_STATICA, "floor", WS_POPUP | WS_CAPTION, 100, 100, 417, 289,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_LIST, 8, 24, 401,
                                225, window, nullptr, GetModuleHandleA(nullptr), nullptr);
    // The same work once, shown and hidden again, as the chooser has been shown once before it is
    // timed: the first showing of a window costs Wine more than any later one.
    Fill(list, Texts(paths));
    ShowWindow(window, SW_SHOW);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ShowWindow(window, SW_HIDE);

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const std::vector<std::string> texts = Texts(paths);
    Fill(list, texts);
    ShowWindow(window, SW_SHOW);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    QueryPerformanceCounter(&end);

    const double micros = 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                          static_cast<double>(frequency.QuadPart);
    FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 1;
    std::fprintf(out, "%.0f %d\n", micros, ListView_GetItemCount(list));
    std::fclose(out);
    DestroyWindow(window);
    return 0;
}
