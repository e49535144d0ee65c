// TInfos: the about box, created hidden at its first showing and shown modally over the main window.
#pragma once

#include <string>

#include "base/Window_win.h"
#include "ui/InfoLayout.h"

namespace norvanex {

struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};

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

    void CreateControls();
    void BringToFront();
    void TimerFrontTimer();
    void HelpExecute();
    void BitBtn1Click();
    void Label5Click();
    void Label6Click();

    HWND Control(InfoControl id) const { return GetDlgItem(hwnd_, id); }
    int Scale(int designValue) const;
    void SetLabel(InfoControl id, const std::string& text);
    void FitLabel(InfoControl id);
    void CenterOverOwner();
    void LoadPictures();
    void DrawPicture(const DRAWITEMSTRUCT& item);
    void PaintBevels(HDC dc);
    bool IsLink(HWND control) const;

    int dpi_ = 96;
    bool modal_ = false;
    GdiObject<HFONT> font_;
    GdiObject<HFONT> titleFont_;
    GdiObject<HFONT> linkFont_;
    GdiObject<HBITMAP> logo_;  // composed over the window colour, 88 x 42
    Owned<HICON, IconDeleter> icon_;  // the program's icon at the box's size
    ImageList okGlyph_;
};

}  // namespace norvanex
