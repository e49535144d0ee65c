// TMainForm: the main window of both modes, the kill run's result window and the shortcut editor.
// It holds the face they share (the design table, bevels, tips, glyphs) and routes each message to
// the mode it runs in (KillRunMode_win.h, EditorMode_win.h).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/KillRunMachine.h"
#include "app/MainLayout.h"
#include "base/AppInfo_win.h"
#include "base/DesignedWindow_win.h"
#include "base/MessageMap_win.h"
#include "base/Window_win.h"

namespace norvanex {

class TInfos;
class SystemRunDesktop;

// How a mode's window differs from the design: its style and its wording.
struct ModeFace {
    DWORD exStyle;       // added to the window's
    unsigned listFlags;  // ListView1's beside its design (control::k...)
    bool createEnabled;  // BitBtn1 enabled from the first picture on
    int bitBtn1Glyph;
    const TextPair* captionSuffix;  // null: the title and version alone
    const TextPair& label1;
    const TextPair& label3;
    const TextPair& bitBtn1;
    const TextPair& bitBtn1Hint;
};

// One mode of the main window: what it shows and how it answers. The window's shared handling
// (its chrome, help key, tips, focus, the about box) comes first; the mode answers what is left
// (TMainForm::HandleMessage).
class MainMode {
public:
    virtual ~MainMode() = default;
    virtual const ModeFace& Face() const = 0;
    // After the shared texts are set: the mode's layout, its start, and whether the window shows.
    virtual void FormCreate() = 0;
    // A command, a notification that the window's own table has no entry for: true when the
    // mode's table has one.
    virtual bool Command(const CommandMessage& command) = 0;
    virtual bool Notify(NMHDR& header, LRESULT& result) = 0;
    virtual bool Timer(UINT_PTR id) = 0;
    // The mouse while an entry is dragged, files dropped from the shell: true when handled.
    virtual bool Message(UINT, WPARAM, LPARAM) { return false; }
    // The close box, Alt+F4: the program ends.
    virtual void FormClose() { Terminate(); }
    // A double-click on the list, on the row `row` or on none (-1): true when the selected entry's
    // properties sheet is to open.
    virtual bool ListDblClick(int) { return true; }
    // A key went down in the window, whichever control has the focus.
    virtual void KeyPressed() {}
    // Whether the window may take the foreground half a second after it appeared.
    virtual bool MayTakeForeground() const { return true; }
    // The tips' window has been made (half a second after the window appeared).
    virtual void TipsMade() {}
    // The window was laid out again at another DPI (WM_DPICHANGED): what the mode fitted to the
    // old scale (column widths, a name cut to its room) is fitted again.
    virtual void Rescaled() {}
    virtual HACCEL Accelerators() const { return nullptr; }
};

class TMainForm : public Window<TMainForm> {
public:
    static constexpr const char* kClassName = "TMainForm";
    // In a kill run, `run` is the run after its walk and `desktop` the run's (both must outlive the
    // window); null for the editor. `shell`, when given, starts the shell for the result window's
    // icons (BindImageLists waits for it).
    TMainForm(KillRunMachine* run, SystemRunDesktop* desktop, ShellWarmUp* shell = nullptr);
    ~TMainForm();

    // Registers the class and creates the window; FormCreate runs inside, the kill run with it.
    // False when the window, one of its controls or the mode's start failed: no window is left.
    bool Create(HINSTANCE instance);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Each message of the loop, before it is routed: keys pressed in the window reach the mode.
    void Heard(const MSG& msg);

    // The mode has shown the window: half a second later it comes to the front, once, and gets its
    // tips (Timer2).
    void Shown() { SetTimer(hwnd_, kTimer2, kTimer2Interval, nullptr); }

    // The editor's keys (Ins, Del), for the message loop; null in a kill run.
    HACCEL Accelerators() const { return mode_->Accelerators(); }
    HWND Tooltip() const { return design_.Tooltip(); }

    // The shared face, for the modes (MainFace_win.cpp).
    HWND Control(MainControl id) const { return GetDlgItem(hwnd_, id); }
    HINSTANCE Instance() const { return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE)); }
    int Scale(int designValue) const { return design_.Scale(designValue); }
    int Dpi() const { return design_.Dpi(); }
    const ControlDesign& DesignOf(MainControl id) const { return design_.DesignOf(id); }
    void SetText(MainControl id, const TextPair& text);
    void SetText(MainControl id, const std::string& text) { design_.SetText(id, text); }
    void SetGlyph(MainControl id, int bitmapId) { design_.SetGlyph(id, bitmapId); }
    void SetHint(MainControl id, const TextPair& text);
    // A hint that follows the state (no tip over the disabled control).
    void SetHintText(MainControl id, const std::string& hint);
    void Place(MainControl id, int left, int top, int width, int height);
    void ShowControl(MainControl id, bool visible) { design_.Show(id, visible); }
    void FitLabel(MainControl id) { design_.FitLabel(id); }
    void AutoSize();
    // The picture of the program to start: its icon, and its path as the picture's name (a screen
    // reader says it; the picture shows no text).
    void SetProgImg(int iconIndex, const std::string& path);
    RECT BevelRect(MainControl id) const { return *design_.BevelRect(id); }
    HWND FirstTabStop() const;
    void BindImageLists();

private:
    static constexpr UINT_PTR kTimer2 = 2;
    static constexpr UINT kTimer2Interval = 500;

    bool CreateControls();
    void FormRescaled();
    void FormCreate();
    void MakeTooltip();
    void GiveTips(MainControl id);
    void PlaceHintArea(MainControl id);
    LRESULT HintText(NMHDR& header);
    void DrawProgImg(const DRAWITEMSTRUCT& item);

    // Shared handlers (MainUnit_win.cpp).
    LRESULT OnCommand(const CommandMessage& command);
    LRESULT OnNotify(NMHDR& header);
    void FormActivate(bool active);
    void NextDlgCtl(WPARAM target, bool direct);
    void Timer2Timer();
    void BitBtn9Click();
    void HelpExecute();
    void ListView1DblClick();

    static const CommandEntry<TMainForm> kCommands[];
    static const NotifyEntry<TMainForm> kNotifications[];

    HINSTANCE instance_ = nullptr;  // where the class is registered (Create)
    OwnedIcon smallIcon_;           // the class's small icon
    DesignedWindow design_{kMainDesign};  // the tips' window made half a second after showing
    std::unique_ptr<MainMode> mode_;
    ShellWarmUp* shell_ = nullptr;
    std::string hints_[kBevel4 + 1];   // each control's hint as set, also for the tip over a disabled one
    bool hintAreas_[kBevel4 + 1] = {}; // whose hint shows while it is disabled, too
    std::wstring wideHint_;            // the text handed to a tooltip that asks in UTF-16
    std::string ansiHint_;             // the same for a tooltip that asks in ANSI
    bool imageListsBound_ = false;     // asked for with the first icon, or half a second after start
    HIMAGELIST largeIcons_ = nullptr;  // the shell's; never destroyed
    int progImgIndex_ = -1;            // icon of the program to start in largeIcons_, -1: empty
    std::unique_ptr<TInfos> infos_;    // the about box, built when BitBtn9 first opens it
    HWND focused_ = nullptr;           // the control that had the focus when the window was left
};

}  // namespace norvanex
