// TTaskSelect: the running-task chooser, created hidden at its first showing, modal over the editor.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "base/DesignedWindow_win.h"
#include "base/MessageMap_win.h"
#include "base/Window_win.h"
#include "ui/TaskList.h"
#include "ui/TaskSelLayout.h"

namespace norvanex {

// The chooser's answer (TaskSelectResult), in the numbers the design gives it.
enum TaskSelectResult : int {
    kTaskSelectDeclined = 0,  // Abort, Escape, the close box
    kTaskSelectAccepted = 1,  // OK
    kTaskSelectOpen = 8,      // not answered yet
};

// What the chooser gives back to the editor.
struct TaskChoice {
    int result = kTaskSelectOpen;      // TaskSelectResult
    std::vector<std::string> checked;  // captions of the checked rows, in row order
};

class TTaskSelect : public Window<TTaskSelect> {
public:
    static constexpr const char* kClassName = "TTaskSelect";
    TTaskSelect() = default;
    ~TTaskSelect();

    // Registers the class and creates the hidden dialog, owned by `owner`; its controls are built
    // at the first showing. False when the class or the window could not be made.
    bool Create(HINSTANCE instance, HWND owner);

    // Shows the chooser modally over `owner` (disabled meanwhile), fills it, returns when it
    // closes; `choice.result` is kTaskSelectAccepted after OK, else kTaskSelectDeclined, and only
    // an accepted choice lists captions.
    // False, with nothing shown, when the chooser or its controls could not be made.
    bool ShowModal(HWND owner, TaskChoice& choice);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class Window<TTaskSelect>;

    bool FormCreate();
    void FormRescaled();
    void FillTaskList(bool keepMarks);
    void BitBtn1Click();
    void BitBtn2Click();
    void FormClose();
    void TasksDblClick();
    bool IsRefreshKey(const MSG& msg) const;
    void FitColumn(const std::unordered_map<std::string, int>& distinctTexts, int widestOther);
    LRESULT TasksCustomDraw(NMLVCUSTOMDRAW& draw);
    bool RowIsExact(int row) const;
    LRESULT TasksItemChanging(const NMLISTVIEW& change) const;
    void SetTasksHint(bool withNotExact);
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }

    static const CommandEntry<TTaskSelect> kCommands[];
    static const NotifyEntry<TTaskSelect> kNotifications[];

    DesignedWindow face_{tasksel::kDesign};
    int taskSelectResult_ = kTaskSelectOpen;
    bool modal_ = false;
    std::vector<TaskText> collected_;  // one per row, in row order
    bool anyNotExact_ = false;         // a row outside the code page is listed (TasksCustomDraw)
    int tasksHint_ = -1;               // the list's hint as given: 1 with the grey rows' words, -1 none
    std::unordered_map<std::string, int> iconIndexes_;  // by caption, kept from showing to showing
    GdiObject<HFONT> wideFont_;  // a TrueType face, which the system completes with linked fonts
    HIMAGELIST smallIcons_ = nullptr;  // the shell's; never destroyed
};

// The one chooser of the program; the editor creates its window when it first shows it.
TTaskSelect& TaskSelect();

}  // namespace norvanex
