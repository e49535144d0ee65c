// The floor of the editor's start: the least any program does to show the editor's first picture.
// The same window (class, icon, styles, caption, size, place), the same 18 controls of the design
// (14 windows of the same classes and styles, the 8-point "MS Sans Serif", the buttons' glyphs as
// six-state image lists from the same bitmaps, and the four bevels drawn by the window), linked
// with the program's resources and so with its manifest. Nothing else: no language choice (the
// English texts), no version read (the caption is fixed at build time), no labels measured (each
// gets the room its text needs at most), no tips, no shell, no menu, no keys, no state.
// The table is its own, not the program's: the yardstick stays put while the program's code moves.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstring>

#include "resources/resource.h"

namespace {

enum class Kind { Button, DefaultButton, CheckBox, ListView, Label, PathLabel, Image, TopLine, Frame, Box };

struct Control {
    int id;
    Kind kind;
    int left, top, width, height;
    const char* text;
    int glyph;  // bitmap id of a button's glyph pair
    bool enabled;
};

// The editor as it first appears (96 DPI): Create disabled with an empty list, Delete and Remove
// disabled, every control shown. Creation order is the editor's z-order and tab order.
constexpr Control kControls[] = {
    {103, Kind::Button, 200, 184, 83, 25, "&Insert", IDB_BITBTN2, true},
    {104, Kind::Button, 288, 184, 83, 25, "De&lete", IDB_BITBTN3, false},
    {105, Kind::Button, 200, 252, 83, 25, "C&hose", IDB_BITBTN5, true},
    {106, Kind::Button, 288, 252, 83, 25, "Re&move", IDB_BITBTN6, false},
    {107, Kind::Button, 8, 293, 83, 25, "Info", IDB_BITBTN9, true},
    {IDOK, Kind::DefaultButton, 200, 293, 83, 25, "C&reate", IDB_IMAGE4, false},
    {IDCANCEL, Kind::Button, 288, 293, 83, 25, "&Exit", IDB_BITBTN4, true},
    {108, Kind::Label, 8, 8, 361, 16, "&Programms to close", 0, true},
    {109, Kind::ListView, 8, 24, 361, 153, "", 0, true},
    {110, Kind::CheckBox, 8, 192, 185, 17, "Co&nfirmation required", 0, true},
    {114, Kind::CheckBox, 8, 213, 185, 17, "&Close programs first", 0, true},
    {113, Kind::Image, 12, 245, 32, 32, "", 0, true},
    // The two labels end before Choose: a static control fills its whole rectangle with the face.
    {111, Kind::Label, 56, 245, 140, 16, "Programm to run", 0, true},
    {112, Kind::PathLabel, 56, 263, 140, 16, "No programm chosen", 0, true},
    {0, Kind::TopLine, 8, 236, 361, 9, nullptr, 0, true},
    {0, Kind::TopLine, 8, 285, 361, 9, nullptr, 0, true},
    {0, Kind::Frame, 8, 241, 41, 41, nullptr, 0, true},
    {0, Kind::Box, 0, 0, 377, 326, nullptr, 0, true},
};
constexpr int kClientWidth = 377, kClientHeight = 326;
constexpr int kGlyphSize = 16;

int dpi = 96;

int Scale(int value) { return (value * dpi + 48) / 96; }

// The glyph pair (enabled left, disabled right) laid out as the button's six state pictures
// (normal, hot, pressed, disabled, default, stylus hot) and added to the image list at once.
HIMAGELIST GlyphList(HINSTANCE instance, int bitmapId) {
    constexpr int kStates[] = {0, 0, 0, 1, 0, 0};
    HBITMAP pair = static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    DIBSECTION source{};
    if (!pair || GetObjectA(pair, sizeof source, &source) != sizeof source) return nullptr;
    BITMAPINFO strip{};
    strip.bmiHeader = {sizeof strip.bmiHeader, kGlyphSize * 6, kGlyphSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP states = CreateDIBSection(nullptr, &strip, DIB_RGB_COLORS, &bits, nullptr, 0);
    const auto* from = static_cast<const std::uint32_t*>(source.dsBm.bmBits);
    auto* to = static_cast<std::uint32_t*>(bits);
    for (int row = 0; row < kGlyphSize; ++row) {
        for (int state = 0; state < 6; ++state) {
            std::memcpy(to + (row * 6 + state) * kGlyphSize, from + (row * 2 + kStates[state]) * kGlyphSize,
                        kGlyphSize * sizeof *to);
        }
    }
    HIMAGELIST list = ImageList_Create(kGlyphSize, kGlyphSize, ILC_COLOR32, 6, 0);
    ImageList_Add(list, states, nullptr);
    DeleteObject(states);
    DeleteObject(pair);
    return list;
}

void CreateControls(HWND window, HINSTANCE instance, HFONT font) {
    for (const Control& c : kControls) {
        const char* cls = WC_BUTTONA;
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (c.enabled ? 0 : WS_DISABLED);
        DWORD exStyle = 0;
        switch (c.kind) {
            case Kind::Button: style |= WS_TABSTOP | BS_PUSHBUTTON; break;
            case Kind::DefaultButton: style |= WS_TABSTOP | BS_DEFPUSHBUTTON; break;
            case Kind::CheckBox: style |= WS_TABSTOP | BS_AUTOCHECKBOX; break;
            case Kind::ListView:
                cls = WC_LISTVIEWA;
                style |= WS_TABSTOP | LVS_LIST | LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS | LVS_SINGLESEL;
                exStyle = WS_EX_CLIENTEDGE;
                break;
            case Kind::Label: cls = WC_STATICA; style |= SS_LEFT; break;
            case Kind::PathLabel: cls = WC_STATICA; style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY; break;
            case Kind::Image: cls = WC_STATICA; style |= SS_OWNERDRAW; break;
            default: continue;  // the bevels are drawn by the window (WM_PAINT)
        }
        HWND control = CreateWindowExA(exStyle, cls, c.text, style, Scale(c.left), Scale(c.top), Scale(c.width),
                                       Scale(c.height), window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                       instance, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (c.glyph) {
            BUTTON_IMAGELIST image{GlyphList(instance, c.glyph), {Scale(4), 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
            SendMessageA(control, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&image));
        }
        if (c.id == 110) SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);  // ask first; close first is not
        if (c.kind == Kind::ListView) ListView_SetExtendedListViewStyle(control, LVS_EX_GRIDLINES);
    }
}

void PaintBevels(HDC dc) {
    for (const Control& c : kControls) {
        UINT edge = EDGE_ETCHED, sides = BF_RECT;
        if (c.kind == Kind::TopLine) sides = BF_TOP;
        else if (c.kind == Kind::Frame) edge = BDR_SUNKENOUTER;
        else if (c.kind != Kind::Box) continue;
        RECT r{Scale(c.left), Scale(c.top), Scale(c.left) + Scale(c.width), Scale(c.top) + Scale(c.height)};
        DrawEdge(dc, &r, edge, sides);
    }
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            PaintBevels(dc);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_CLOSE: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HDC screen = GetDC(nullptr);
    dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_NORVANEX));
    wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_NORVANEX), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "TMainForm";
    if (!RegisterClassExA(&wc)) return 1;

    // Made in its final size and place at once, centred in the work area as the editor is.
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    constexpr DWORD kExStyle = WS_EX_ACCEPTFILES | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HWND window = CreateWindowExA(kExStyle, wc.lpszClassName, EDITOR_FLOOR_CAPTION, kStyle,
                                  work.left + (work.right - work.left - width) / 2,
                                  work.top + (work.bottom - work.top - height) / 2, width, height, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return 1;
    HFONT font = CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             "MS Sans Serif");
    CreateControls(window, instance, font);
    ShowWindow(window, SW_SHOW);
    SetFocus(GetDlgItem(window, kControls[0].id));

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageA(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return 0;
}
