// The window-procedure thunk every window class of the program derives from, and the RAII types
// for the handles the windows own.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "base/AppInfo_win.h"
#include "base/CommonControls_win.h"
#include "base/SilentAbort.h"
#include "base/UniqueHandle.h"

namespace norvanex {

// Runs `handler`: no exception may cross a window procedure. The silent abort of the language
// choice is dropped here on purpose, ending only this handler (false); anything else (out of
// memory, a broken rule) is no state to go on from: the program says so and ends (CannotGoOn).
template <class Fn>
bool RunHandler(Fn&& handler) noexcept {
    try {
        handler();
        return true;
    } catch (const SilentAbort&) {
        return false;
    } catch (...) {
        CannotGoOn();
    }
}

// A window class with a static thunk that stores `this` at WM_NCCREATE and forgets it at
// WM_NCDESTROY; the derived class answers in HandleMessage.
template <class Derived>
class Window {
public:
    HWND hwnd() const { return hwnd_; }

protected:
    Window() = default;
    ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        Derived* self = nullptr;
        if (message == WM_NCCREATE) {
            self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<Derived*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        }
        if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);

        LRESULT result = 0;
        if (!RunHandler([&] { result = self->HandleMessage(message, wParam, lParam); })) result = 0;
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return result;
    }

    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcA(hwnd_, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
};

// Every handle a window owns is a UniqueHandle; Owned names it here by its deleter.
template <class Handle, class Deleter>
using Owned = UniqueHandle<Handle, Deleter>;

struct DcReleaser {
    HWND window;
    void operator()(HDC dc) const { ReleaseDC(window, dc); }
};
struct SelectionRestorer {
    HDC dc;
    void operator()(HGDIOBJ former) const { SelectObject(dc, former); }
};
struct MemoryDcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};

// A device context that GetDC gave for `window` (the screen's for null), released at scope end.
class ScopedGetDC : public Owned<HDC, DcReleaser> {
public:
    explicit ScopedGetDC(HWND window) : UniqueHandle(GetDC(window), DcReleaser{window}) {}
};

// Selects `object` into `dc` and selects the one it replaced back at scope end (reset() does it
// earlier). A null object selects nothing.
class ScopedSelectObject : public Owned<HGDIOBJ, SelectionRestorer> {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object)
        : UniqueHandle(object ? SelectObject(dc, object) : nullptr, SelectionRestorer{dc}) {}
};

// A memory device context from CreateCompatibleDC; objects selected into it must be selected out
// (ScopedSelectObject declared after it) before it goes.
using MemoryDC = Owned<HDC, MemoryDcDeleter>;

// The painting of `window`'s invalid area between BeginPaint and EndPaint, which validates it.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND window) : window_(window) { BeginPaint(window_, &paint_); }
    ~ScopedPaint() { EndPaint(window_, &paint_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC dc() const { return paint_.hdc; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

// `cursor` shown while the scope lasts (the wait cursor over a long step), the one it replaced
// shown again at its end.
class ScopedCursor {
public:
    explicit ScopedCursor(HCURSOR cursor) : former_(SetCursor(cursor)) {}
    ~ScopedCursor() { SetCursor(former_); }
    ScopedCursor(const ScopedCursor&) = delete;
    ScopedCursor& operator=(const ScopedCursor&) = delete;

private:
    HCURSOR former_;
};

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
// An icon the program loaded at a size of its own (LoadImage without LR_SHARED); never one of the
// system's shared icons, which must not be destroyed.
using OwnedIcon = Owned<HICON, IconDeleter>;

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
// A window the program made and must destroy: a modeless dialog run by hand (the message box).
using OwnedWindow = Owned<HWND, WindowDestroyer>;

struct GdiDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct ImageListDeleter {
    void operator()(HIMAGELIST list) const { comctl::ImageListDestroy(list); }
};

// A font, bitmap or brush of the program's own.
template <class Handle>
using GdiObject = Owned<Handle, GdiDeleter>;
// An image list the program made itself (button glyphs); never one of the shell's lists.
using ImageList = Owned<HIMAGELIST, ImageListDeleter>;

// The screen's pixels per inch, as every design position is scaled to.
int ScreenDpi();
// The DPI of the monitor `window` is on, where Windows scales each monitor of its own (Windows 10
// 1607 on, GetDpiForWindow, per-monitor aware); the screen's elsewhere.
int WindowDpi(HWND window);
// WM_DPICHANGED (Windows 8.1 on), which the headers define only for such a target version.
constexpr UINT kWmDpiChanged = 0x02E0;

// The size a label's text takes on one line in the label's own font, an accelerator ampersand
// left out unless the label shows it (SS_NOPREFIX). An empty label measures as one blank, so it
// keeps its line's height.
SIZE LabelTextExtent(HWND label);

// `name` (a path or a file name) as it fits into `room` pixels in the label's font: whole, or with
// its middle replaced by an ellipsis, the end with the extension kept. The label is not left to cut
// it (SS_PATHELLIPSIS): Wine's static control reads that style as path and word ellipsis at once
// and shows two cuts.
std::wstring FittedName(HWND label, const std::wstring& name, int room);

// Gives `control` (a child of `owner`) the tip `text` in `tooltip`, a text of the program as
// WideText reads it; an empty text takes the tip away. The tip learns of the mouse from the
// message loop (RunMessageLoop's `tooltip`), not by subclassing the control: under Wine every
// message to a subclassed window costs a trip to the server, and the first picture of the editor
// alone sends the buttons hundreds.
void SetControlTip(HWND tooltip, HWND owner, HWND control, std::string_view text);
// The same for an area of `window` (in its client coordinates), told apart from its other areas by
// `id`: a list's row, say.
void SetAreaTip(HWND tooltip, HWND window, UINT_PTR id, const RECT& area, std::string_view text);

// A tip that follows the keyboard rather than the mouse (a list's focused row): a tips' window of
// its own for `owner`, its one tool tracked (TTF_TRACK, TTM_TRACKACTIVATE: common controls 4.70
// on; where they are older the tip does not show). Null when it could not be made.
HWND MakeTrackingTip(HWND owner);
// Shows `text` with its top left corner at `screen`, hidden first, so that the window appears
// anew and a screen reader reads it (EVENT_OBJECT_SHOW); at most `maxWidth` pixels wide, broken
// into lines. An empty text hides the tip.
void ShowTrackingTip(HWND tip, HWND owner, POINT screen, int maxWidth, std::string_view text);
void HideTrackingTip(HWND tip, HWND owner);

// Registers a window class of the program: arrow cursor, the given background colour.
bool RegisterWindowClass(HINSTANCE instance, const char* className, WNDPROC windowProc, int backgroundColor,
                         HICON icon = nullptr, HICON smallIcon = nullptr);

// Gives `window` a client area of the given size and centres it on the work area, or over the
// window `over` when given, inside the work area.
void SizeAndCenter(HWND window, int clientWidth, int clientHeight, HWND over = nullptr);

// A hidden dialog-like window of the program: dialog border, close box only, on top of others.
// `self` arrives at WM_NCCREATE; the caller sizes it.
HWND CreateDialogFrame(HINSTANCE instance, HWND owner, const char* className, const char* title, void* self);

// One message of a loop that runs `dialogWindow`: the mouse over it or its children passed on to
// the tips' window that `tooltip` gives (none while it gives null), its keyboard shortcuts through
// `accelerators` (none when null), its keyboard navigation through IsDialogMessage, else dispatched.
void RouteMessage(MSG& msg, HWND dialogWindow, HACCEL accelerators, const std::function<HWND()>& tooltip);

// What a modal window asks of the loop that runs it (RunModal).
struct ModalHooks {
    std::function<void()> show;              // shows the window its own way, once the owner is disabled
    std::function<bool()> done;              // true once the window has its answer
    std::function<bool(const MSG&)> ownKey;  // takes a message before navigation (true: handled)
    std::function<HWND()> tooltip;           // the tips' window of the modal window, if any
};

// The one modal routine: disables `owner` (when given and enabled), shows the window, runs the
// messages (RouteMessage after ownKey; nothing thrown ends the loop) until `done`, then enables the
// owner before the window hides, so that the activation goes back to the owner and not to another
// program's window, and activates the owner. False when the program is ending: the quit message is
// posted again for the outer loop.
bool RunModal(HWND window, HWND owner, const ModalHooks& hooks);

// The message loop of the whole program: each message goes through RouteMessage for
// `dialogWindow` (the main window), and nothing thrown by a message's handling ends the loop.
// `heard`, when given, sees each message first (the result window holds at any key).
int RunMessageLoop(HWND dialogWindow, HACCEL accelerators = nullptr, const std::function<HWND()>& tooltip = {},
                   const std::function<void(const MSG&)>& heard = {});

}  // namespace norvanex
