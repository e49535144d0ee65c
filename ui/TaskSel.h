// TTaskSelect: the running-task chooser, created hidden at start.
#pragma once

#include <string>
#include <vector>

#include "base/Window_win.h"

namespace norvanex {

// The chooser's answer: result 1 when the user accepted (8 before showing, else 0), and the
// captions of the checked rows in row order.
struct TaskChoice { int result = 8; std::vector<std::string> checked; };

class TTaskSelect : public Window<TTaskSelect> {
public:
    static constexpr const char* kClassName = "TTaskSelect";
    ~TTaskSelect();
    bool Create(HINSTANCE instance, HWND owner);
    // Shows the chooser modally over `owner` and fills `choice` when it closes.
    void ShowModal(HWND owner, TaskChoice& choice);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    bool modal_ = false;
};

// The program's one chooser.
TTaskSelect& TaskSelect();

}  // namespace norvanex
