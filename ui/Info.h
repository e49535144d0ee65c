// TInfos: the about box, created hidden at start.
#pragma once

#include "base/Window_win.h"

namespace norvanex {

class TInfos : public Window<TInfos> {
public:
    static constexpr const char* kClassName = "TInfos";
    ~TInfos();
    bool Create(HINSTANCE instance, HWND owner);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace norvanex
