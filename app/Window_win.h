// The window-procedure thunk every window class of the program derives from, and the RAII types
// for the handles the windows own.
#pragma once

#include <windows.h>

#include <utility>

namespace norvanex {

// Runs `handler` and swallows what it throws: no exception may cross a window procedure, and the
// silent abort of the language choice is dropped here on purpose, ending only this handler.
template <class Fn>
bool RunHandler(Fn&& handler) noexcept {
    try {
        handler();
        return true;
    } catch (...) {
        return false;
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

// Owns a GDI object (font, bitmap, brush): deleted once, never copied.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    ~GdiObject() { reset(); }
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Handle get() const { return handle_; }
    void reset(Handle handle = nullptr) {
        if (handle_) DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

// The message loop of the whole program; keyboard navigation goes through IsDialogMessage of
// `dialogWindow` (the main window), and nothing thrown by a message's handling ends the loop.
int RunMessageLoop(HWND dialogWindow);

}  // namespace norvanex
