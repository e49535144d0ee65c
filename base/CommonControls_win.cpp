// comctl32, bound function by function at run time. LoadLibraryA runs under the process's default
// activation context, so the manifest's binding to Common Controls 6.0 applies as it does to a
// static import.
#include "base/CommonControls_win.h"

#include <shlwapi.h>

#include "base/SystemFunction_win.h"

namespace norvanex::comctl {

namespace {

struct Functions {
    decltype(&::InitCommonControlsEx) initCommonControlsEx;
    decltype(&::InitCommonControls) initCommonControls;
    DLLGETVERSIONPROC dllGetVersion;
    decltype(&::ImageList_Create) imageListCreate;
    decltype(&::ImageList_Add) imageListAdd;
    decltype(&::ImageList_Destroy) imageListDestroy;
    decltype(&::ImageList_Draw) imageListDraw;
};

template <class Fn>
Fn Find(const char* name) {
    return FindSystemFunctionAs<Fn>("comctl32.dll", name);
}

const Functions& Comctl32() {
    using F = Functions;
    static const Functions functions{Find<decltype(F::initCommonControlsEx)>("InitCommonControlsEx"),
                                     Find<decltype(F::initCommonControls)>("InitCommonControls"),
                                     Find<DLLGETVERSIONPROC>("DllGetVersion"),
                                     Find<decltype(F::imageListCreate)>("ImageList_Create"),
                                     Find<decltype(F::imageListAdd)>("ImageList_Add"),
                                     Find<decltype(F::imageListDestroy)>("ImageList_Destroy"),
                                     Find<decltype(F::imageListDraw)>("ImageList_Draw")};
    return functions;
}

}  // namespace

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    const Functions& f = Comctl32();
    if (!f.initCommonControlsEx) {
        if (!f.initCommonControls) return FALSE;
        f.initCommonControls();
        return TRUE;
    }
    if (f.initCommonControlsEx(controls)) return TRUE;
    // A version that meets a flag it does not know may refuse the whole call; it is asked again
    // for the classes it knows. Asked first for all of them: Wine's comctl32 answers DllGetVersion
    // with 5.81 also where the manifest binds its version-6 classes, which ICC_STANDARD_CLASSES
    // registers there.
    INITCOMMONCONTROLSEX known = *controls;
    known.dwICC = KnownControlClasses(controls->dwICC, Version());
    return known.dwICC != controls->dwICC && f.initCommonControlsEx(&known);
}

ComctlVersion Version() {
    static const ComctlVersion version = [] {
        ComctlVersion v{4, 0};
        const Functions& f = Comctl32();
        // DllGetVersion came with 4.71; InitCommonControlsEx with 4.70.
        if (f.initCommonControlsEx) v = {4, 70};
        DLLVERSIONINFO info{};
        info.cbSize = sizeof info;
        if (f.dllGetVersion && SUCCEEDED(f.dllGetVersion(&info))) v = {info.dwMajorVersion, info.dwMinorVersion};
        return v;
    }();
    return version;
}

UINT ToolInfoSize(bool wide) {
    if (IsComctl6(Version())) return wide ? sizeof(TTTOOLINFOW) : sizeof(TTTOOLINFOA);
    return wide ? TTTOOLINFOW_V2_SIZE : TTTOOLINFOA_V2_SIZE;
}

HIMAGELIST ImageListCreate(int width, int height, UINT flags, int initial, int grow) {
    const auto fn = Comctl32().imageListCreate;
    return fn ? fn(width, height, flags, initial, grow) : nullptr;
}

int ImageListAdd(HIMAGELIST list, HBITMAP image, HBITMAP mask) {
    const auto fn = Comctl32().imageListAdd;
    return fn ? fn(list, image, mask) : -1;
}

BOOL ImageListDestroy(HIMAGELIST list) {
    const auto fn = Comctl32().imageListDestroy;
    return fn ? fn(list) : FALSE;
}

BOOL ImageListDraw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) {
    const auto fn = Comctl32().imageListDraw;
    return fn ? fn(list, index, dc, x, y, style) : FALSE;
}

}  // namespace norvanex::comctl
