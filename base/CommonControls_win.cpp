// comctl32, bound function by function at the first call of each. LoadSystemDll loads it by its bare
// name under the process's default activation context wherever that is safe, so the manifest's
// binding to Common Controls 6.0 applies as it does to a static import.
#include "base/CommonControls_win.h"

#include <shlwapi.h>

#include "base/SystemFunction_win.h"

namespace norvanex::comctl {

namespace {

template <class Fn>
Fn Find(const char* name) {
    return FindSystemFunctionAs<Fn>("comctl32.dll", name);
}

// Version 4.70 and later.
decltype(&::InitCommonControlsEx) InitEx() {
    static const auto fn = Find<decltype(&::InitCommonControlsEx)>("InitCommonControlsEx");
    return fn;
}

}  // namespace

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    const auto initEx = InitEx();
    if (!initEx) {
        static const auto init = Find<decltype(&::InitCommonControls)>("InitCommonControls");
        if (!init) return FALSE;
        init();
        return TRUE;
    }
    if (initEx(controls)) return TRUE;
    // A version that meets a flag it does not know may refuse the whole call; it is asked again
    // for the classes it knows. Asked first for all of them: Wine's comctl32 answers DllGetVersion
    // with 5.81 also where the manifest binds its version-6 classes, which ICC_STANDARD_CLASSES
    // registers there.
    INITCOMMONCONTROLSEX known = *controls;
    known.dwICC = KnownControlClasses(controls->dwICC, Version());
    return known.dwICC != controls->dwICC && initEx(&known);
}

ComctlVersion Version() {
    static const ComctlVersion version = [] {
        ComctlVersion v{4, 0};
        // DllGetVersion came with 4.71; InitCommonControlsEx with 4.70.
        if (InitEx()) v = {4, 70};
        const auto dllGetVersion = Find<DLLGETVERSIONPROC>("DllGetVersion");
        DLLVERSIONINFO info{};
        info.cbSize = sizeof info;
        if (dllGetVersion && SUCCEEDED(dllGetVersion(&info))) v = {info.dwMajorVersion, info.dwMinorVersion};
        return v;
    }();
    return version;
}

UINT ToolInfoSize(bool wide) {
    if (IsComctl6(Version())) return wide ? sizeof(TTTOOLINFOW) : sizeof(TTTOOLINFOA);
    return wide ? TTTOOLINFOW_V2_SIZE : TTTOOLINFOA_V2_SIZE;
}

HIMAGELIST ImageListCreate(int width, int height, UINT flags, int initial, int grow) {
    static const auto fn = Find<decltype(&::ImageList_Create)>("ImageList_Create");
    return fn ? fn(width, height, flags, initial, grow) : nullptr;
}

int ImageListAdd(HIMAGELIST list, HBITMAP image, HBITMAP mask) {
    static const auto fn = Find<decltype(&::ImageList_Add)>("ImageList_Add");
    return fn ? fn(list, image, mask) : -1;
}

BOOL ImageListDestroy(HIMAGELIST list) {
    static const auto fn = Find<decltype(&::ImageList_Destroy)>("ImageList_Destroy");
    return fn ? fn(list) : FALSE;
}

BOOL ImageListDraw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) {
    static const auto fn = Find<decltype(&::ImageList_Draw)>("ImageList_Draw");
    return fn ? fn(list, index, dc, x, y, style) : FALSE;
}

}  // namespace norvanex::comctl
