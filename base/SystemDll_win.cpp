// The DLL search kept to the system folder, the program's own loads by full path, and the
// delay-load helper's hook that takes its DLLs from there.
//
// RestrictDllSearch runs before the C runtime has started: nothing here may rely on a static
// constructor or on the C++ runtime. The state is plain data, zero until it is written.
#include "base/SystemDll_win.h"

#include <delayimp.h>

namespace norvanex {

namespace {

struct DllSearch {
    char systemFolder[MAX_PATH];  // GetSystemDirectoryA, without a trailing backslash
    int systemFolderLength;       // 0 until read, or where it could not be read
    // SetDefaultDllDirectories took: a bare name is searched for in the system folder alone.
    bool restricted;
    // The DLLs that system DLLs ask for by bare name are still to be loaded.
    volatile LONG preloadPending;
    CRITICAL_SECTION preloadLock;
};
DllSearch search;

// What system DLLs load by bare name once they run (theme, desktop composition, property store,
// crypto, profile, sound, image, accessibility and session helpers, the compatibility layer). Not
// every Windows has every one; a missing one is passed over.
constexpr const char* kAskedForByBareName[] = {
    "uxtheme.dll", "dwmapi.dll", "propsys.dll", "cryptbase.dll", "cryptsp.dll", "profapi.dll", "userenv.dll",
    "winmm.dll", "msimg32.dll", "oleacc.dll", "wtsapi32.dll", "apphelp.dll", "version.dll"};

FARPROC Kernel32Function(const char* name) {
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    return kernel32 ? GetProcAddress(kernel32, name) : nullptr;
}

template <class Fn>
Fn Kernel32FunctionAs(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(Kernel32Function(name)));
}

// The program's one read of the system folder. It stays a raw read into plain data: the first
// caller is RestrictDllSearch, before the C runtime has started, when the system's facts
// (ThisSystem: a guarded function-local static, std::string on the heap) cannot be built yet; they
// take the folder from here instead (SystemFolderReadAtEntry). Under WOW64 this is System32 as
// well, which the file system redirects to SysWOW64 for a 32-bit process (Norvanex never turns
// that redirection off).
void ReadSystemFolder() {
    if (search.systemFolderLength != 0) return;
    const UINT length = GetSystemDirectoryA(search.systemFolder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    int end = static_cast<int>(length);
    if (search.systemFolder[end - 1] == '\\') search.systemFolder[--end] = '\0';
    search.systemFolderLength = end;
}

// The system folder, a backslash and `name`; false where that does not fit.
bool SystemPath(const char* name, char (&path)[MAX_PATH]) {
    ReadSystemFolder();
    const int folder = search.systemFolderLength;
    const int length = lstrlenA(name);
    if (folder == 0 || length == 0 || folder + 1 + length >= MAX_PATH) return false;
    for (int i = 0; i < folder; ++i) path[i] = search.systemFolder[i];
    path[folder] = '\\';
    for (int i = 0; i <= length; ++i) path[folder + 1 + i] = name[i];
    return true;
}

HMODULE LoadByFullPath(const char* name) {
    char path[MAX_PATH];
    return SystemPath(name, path) ? LoadLibraryA(path) : nullptr;
}

void PreloadAskedForByBareName() {
    // A DLL that is there but cannot load would otherwise put up the loader's message box.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    for (const char* name : kAskedForByBareName) LoadByFullPath(name);  // kept for the process's life
    SetErrorMode(previous);
}

// Once. Where the search is not restricted, before the first DLL that the program loads itself
// that may ask for them (LoadSystemDll): until then only kernel32, the C runtime and advapi32 run,
// which ask for none of them. Where it is restricted, once the program has nothing left to end
// (PreloadSystemDlls): the default directories govern every search but that of a loader that skips
// them for a system DLL's own delay-load import (Wine's does: its user32 asks for msimg32.dll so
// when it draws, and finds it beside the program), which then finds these loaded by name first.
void PreloadOnce() {
    if (!search.preloadPending) return;
    EnterCriticalSection(&search.preloadLock);
    if (search.preloadPending) {
        PreloadAskedForByBareName();
        search.preloadPending = 0;
    }
    LeaveCriticalSection(&search.preloadLock);
}

// Whether the activation context of the thread (the manifest's, by default) redirects `dll` to a
// side-by-side assembly. FindActCtxSectionStringA came with XP; before it no redirection exists.
bool ActivationContextRedirects(const char* dll) {
    using FindFn = BOOL(WINAPI*)(DWORD, const GUID*, ULONG, LPCSTR, PACTCTX_SECTION_KEYED_DATA);
    const auto find = Kernel32FunctionAs<FindFn>("FindActCtxSectionStringA");
    if (!find) return false;
    ACTCTX_SECTION_KEYED_DATA data{};
    data.cbSize = sizeof data;
    return find(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, dll, &data) != FALSE;
}

// The delay-load helper asks before it loads a DLL by the bare name of the import table; a module
// given back is taken instead.
FARPROC WINAPI LoadDelayedFromSystemFolder(unsigned notify, PDelayLoadInfo info) {
    if (notify != dliNotePreLoadLibrary) return nullptr;
    if (const HMODULE module = LoadSystemDll(info->szDll)) return reinterpret_cast<FARPROC>(module);
    // Given nothing, the helper would load the bare name, which searches the program's folder first
    // where the search is not restricted: the failure it raises for a missing DLL is raised here.
    info->dwLastError = GetLastError();
    ULONG_PTR argument = reinterpret_cast<ULONG_PTR>(info);
    RaiseException(VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND), 0, 1, &argument);
    return nullptr;
}

}  // namespace

void RestrictDllSearch() {
    ReadSystemFolder();
    using SetDefaultFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = Kernel32FunctionAs<SetDefaultFn>("SetDefaultDllDirectories");
    search.restricted = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!search.restricted) {
        using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
        const auto setDllDirectory = Kernel32FunctionAs<SetDllDirectoryFn>("SetDllDirectoryA");
        if (setDllDirectory) setDllDirectory("");
    }
    InitializeCriticalSection(&search.preloadLock);
    search.preloadPending = 1;
}

void PreloadSystemDlls() { PreloadOnce(); }

const char* SystemFolderReadAtEntry() {
    ReadSystemFolder();
    return search.systemFolder;
}

HMODULE LoadSystemDll(const char* name) {
    // A kill run's walk loads advapi32 (its debug privilege) and asks for ntdll before it ends
    // anything. Neither asks for a DLL of the preload when it loads (advapi32 is a known DLL on the
    // NT line and imports kernel32 alone on the 9x line; ntdll is in every NT process), while the
    // preload would bring user32 and a desktop connection with uxtheme. So the preload waits for
    // the first other DLL that is not in the process yet.
    if (!search.restricted && lstrcmpiA(name, "advapi32.dll") != 0 && GetModuleHandleA(name) == nullptr) {
        PreloadOnce();
    }
    if (lstrcmpiA(name, "comctl32.dll") == 0 && (search.restricted || ActivationContextRedirects(name))) {
        return LoadLibraryA(name);
    }
    return LoadByFullPath(name);
}

}  // namespace norvanex

// The mingw-w64 helper (__delayLoadHelper2) calls this hook; defined here, it replaces the runtime's
// null default, which lives in an archive member of its own.
PfnDliHook __pfnDliNotifyHook2 = norvanex::LoadDelayedFromSystemFolder;
