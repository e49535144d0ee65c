// TMainForm: the main window of both modes, the kill run's result window and the shortcut editor.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/KillRun.h"
#include "app/MainLayout.h"
#include "base/AppInfo_win.h"
#include "base/Window_win.h"

namespace norvanex {

// Parameter `index` of this process's call line (0: the executable's own path).
std::string ParamStr(int index);

// A kill run's walk: the confirmation and the endings, made before any window exists, so that the
// user waits for the processes to go and not for the result window to be built.
KillWalk RunKillWalk();

class TMainForm : public Window<TMainForm> {
public:
    static constexpr const char* kClassName = "TMainForm";

    // In a kill run, `walk` is its finished walk (it must outlive the window); null for the editor.
    explicit TMainForm(const KillWalk* walk) : walk_(walk) {}
    ~TMainForm();

    // Registers the class and creates the window; FormCreate runs inside, the kill run with it.
    bool Create(HINSTANCE instance);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class Window<TMainForm>;

    void CreateControls();
    void FormCreate();
    void SetUpEditor();
    void ShowKillResult();
    void ShowStartSection(bool visible);
    void SetProgramToStart(const std::string& path);
    void AddResult(const std::string& caption, bool ended);
    LRESULT ListView1CustomDraw(NMLVCUSTOMDRAW& draw);
    void HintText(NMHDR& header);
    void PlaceHintArea(MainControl id);

    void Timer1Timer();
    void Timer2Timer();
    void Timer4Timer();
    void EnableTimer4();
    void BitBtn1Click();
    void BitBtn4Click();
    void ListView1DblClick();

    HWND Control(MainControl id) const { return GetDlgItem(hwnd_, id); }
    int Scale(int designValue) const;
    void SetText(MainControl id, const TextPair& text);
    void SetHint(MainControl id, const TextPair& text);
    void SetGlyph(MainControl id, int bitmapId);
    void Place(MainControl id, int left, int top, int width, int height);
    void ShowControl(MainControl id, bool visible);
    void EnableControl(MainControl id, bool enabled);
    void FitLabel(MainControl id);
    void AutoSize();
    void DrawProgImg(const DRAWITEMSTRUCT& item);
    void PaintBevels(HDC dc);
    bool IsKillRun() const { return walk_ != nullptr; }

    int dpi_ = 96;
    const KillWalk* walk_ = nullptr;
    GdiObject<HFONT> font_;
    HWND tooltip_ = nullptr;
    std::string hints_[kBevel4 + 1];   // each control's hint as set, for the tip over a disabled one
    std::wstring wideHint_;            // the text handed to a tooltip that asks in UTF-16
    HIMAGELIST smallIcons_ = nullptr;  // the shell's; never destroyed
    HIMAGELIST largeIcons_ = nullptr;  // the shell's; never destroyed
    ImageList glyphs_[kBevel4 + 1];
    int progImgIndex_ = -1;            // icon of the program to start in largeIcons_, -1: empty
    std::string programToStart_;
    bool timer4Enabled_ = false;
    StartGate startGate_;              // the program to start waits for the ended processes to go
    std::string versionText_;
};

}  // namespace norvanex
