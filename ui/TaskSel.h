// TTaskSelect: the running-task chooser, created hidden at start.
#pragma once

#include "base/Window_win.h"

namespace norvanex {

class TTaskSelect : public Window<TTaskSelect> {
public:
    static constexpr const char* kClassName = "TTaskSelect";
    ~TTaskSelect();
    bool Create(HINSTANCE instance, HWND owner);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace norvanex
