// TInfos: the about box, created hidden at its first showing and shown modally over the main window.
#pragma once

#include <string>

#include "base/DesignedWindow_win.h"
#include "base/MessageMap_win.h"
#include "base/Window_win.h"
#include "ui/InfoLayout.h"

namespace norvanex {

class TInfos : public Window<TInfos> {
public:
    static constexpr const char* kClassName = "TInfos";
    ~TInfos();
    bool Create(HINSTANCE instance, HWND owner);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Sets the texts that change (disclaimer, then title and version), centres the box over its
    // owner and shows it modally: the owner takes no input until the box is closed. Throws
    // SilentAbort when the language cannot be chosen; the box is not shown then.
    void Execute();

private:
    friend class Window<TInfos>;

    bool CreateControls();
    void MakeTitleFont();
    void FormRescaled();
    void BringToFront();
    void TimerFrontTimer();
    void HelpExecute();
    void BitBtn1Click();
    void Label5Click();
    void Label6Click();

    HWND Control(InfoControl id) const { return GetDlgItem(hwnd_, id); }
    void LoadPictures();
    void DrawPicture(const DRAWITEMSTRUCT& item);
    bool IsLink(HWND control) const;

    static const CommandEntry<TInfos> kCommands[];

    DesignedWindow face_{kInfoDesign, FaceLook{COLOR_WINDOW, COLOR_WINDOWTEXT}};
    bool modal_ = false;
    GdiObject<HFONT> titleFont_;
    GdiObject<HBITMAP> logo_;  // composed over the window colour, 88 x 42
    OwnedIcon icon_;  // the program's icon at the box's size
};

}  // namespace norvanex
