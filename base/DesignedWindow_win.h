// The one builder of the program's windows: controls from a design table, the program's face,
// labels fitted to their text, tips, button glyphs and bevels, and the chrome every window shares
// (ChromeMessage).
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "base/AppInfo.h"
#include "base/ButtonGlyph_win.h"
#include "base/ControlDesign.h"
#include "base/Window_win.h"

namespace norvanex {

// How a font differs from the program's face, 8-point MS Sans Serif.
struct FontLook {
    const char* face = "MS Sans Serif";
    int pixelHeight = 0;  // character height in pixels; 0: 8 points at the DPI given
    int weight = FW_NORMAL;
    bool underline = false;
    BYTE family = FF_DONTCARE;
};

// The one place the program makes its fonts.
GdiObject<HFONT> MakeFont(int dpi, const FontLook& look = {});

// A window's face: the system colours of its background and of its controls' text (links take
// the system's link colour), and the font its controls take (8 points).
struct FaceLook {
    int background = COLOR_BTNFACE;
    int text = COLOR_BTNTEXT;
    const char* font = "MS Sans Serif";
};

// A window's controls as its design table describes them. The window keeps one as a member, builds
// its controls through it and adds only what is its own (texts, list columns, handlers).
class DesignedWindow {
public:
    // `design` is the window's constexpr table (it must outlive the builder). Its rows reach the
    // right and bottom edges of the client area: a box bevel frames it.
    template <std::size_t N>
    explicit DesignedWindow(const ControlDesign (&design)[N], FaceLook look = {})
        : DesignedWindow(design, N, look) {}
    // The same for a table chosen at run time (`count` rows).
    DesignedWindow(const ControlDesign* design, std::size_t count, FaceLook look = {})
        : design_(design), count_(count), look_(look), glyphs_(count), glyphIds_(count) {}
    DesignedWindow(const DesignedWindow&) = delete;
    DesignedWindow& operator=(const DesignedWindow&) = delete;

    // The window's DPI: the screen's, read at the first use (a kill run ends its processes before
    // user32 loads), then the monitor's that the window was made on, then each one WM_DPICHANGED
    // brings.
    int Dpi() const;
    int Scale(int designValue) const { return ScaleToDpi(designValue, Dpi()); }
    RECT ScaledRect(int left, int top, int width, int height) const;
    // The client area as designed, in pixels: as far as the table's rows reach.
    SIZE DesignedSize() const;
    // The row of `id`; the first row for an id the table lacks.
    const ControlDesign& DesignOf(int id) const;
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    // Creates the controls of `window` (its children) in table order, each in the program's face
    // (links underlined), and takes the bevels' places. `moment`, when given, adds to a control's
    // flags and may disable it, for what depends on the moment (the main window's mode). When a
    // control cannot be made, those made are destroyed again and the answer is false: the window
    // must not show half built.
    struct Moment {
        unsigned flags = 0;
        bool disabled = false;
    };
    bool CreateControls(HWND window, const std::function<Moment(const ControlDesign&)>& moment = {});
    // Destroys the controls again, so that the next CreateControls starts afresh.
    void DestroyControls();

    // Sets a control's text (WideText's reading of a program text) and fits a label to it.
    void SetText(int id, std::string_view text);
    // A label designed 0 by 0 takes the size of its text, as far as the right margin; a link that
    // would cross the margin moves left. Other controls keep their size.
    void FitLabel(int id);
    // Gives button `id` the glyph pair `bitmapId` (ButtonGlyph), held as long as the builder, and
    // made again at each change of the DPI.
    void SetGlyph(int id, int bitmapId);
    // The control of the design's default button (control::kDefault, also by the moment); 0: none.
    int DefaultId() const { return defaultId_; }

    // The chrome every designed window shares, for its window procedure to ask first: WM_PAINT (the
    // bevels), WM_CTLCOLORSTATIC and WM_CTLCOLORBTN (the face colours), DM_GETDEFID (the default
    // button, or the focused link), WM_DRAWITEM of a glyph button that draws itself (ButtonGlyph)
    // and of a link, the owner-drawn items of an image menu (ImageMenu::OwnerMessage), and
    // WM_DPICHANGED (ChangeDpi). True, with `result`, when it was one of them.
    bool ChromeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // A per-monitor aware window moved to a monitor of another scale, or the scale changed
    // (WM_DPICHANGED: the new DPI in wParam, the window's new place in lParam). The fonts, glyphs
    // and bevels are made again and every control placed again at `dpi`, where the design or the
    // last Place put it, fitted labels fitted again; then the window's own part runs (WhenRescaled)
    // and the window takes `suggested`, the rectangle the system chose so that it stays on that
    // monitor at its new size.
    void ChangeDpi(int dpi, const RECT& suggested);
    // What the window does at a change of the DPI beside its designed controls: its own fonts,
    // pictures, column widths, and the places it computes itself. It must not size the window.
    void WhenRescaled(std::function<void()> ownPart) { rescaled_ = std::move(ownPart); }

    // The tips' window of this window, made at the first call. It learns of the mouse from the
    // message loop that runs the window (RunMessageLoop, RunModal), not by subclassing.
    HWND MakeTooltip();
    HWND Tooltip() const { return tooltip_; }
    // Gives control `id` the tip `text` (none when empty); the tips' window must exist.
    void SetTip(int id, std::string_view text);

    // Moves a control, window or bevel, to a place of the design's scale; a bevel is painted again
    // where it was and where it goes. The place is kept for a change of the DPI.
    void Place(int id, int left, int top, int width, int height);
    // Shows or hides a control, window or bevel, without activating anything.
    void Show(int id, bool visible);
    // A bevel's place in pixels; null for an id that is not a bevel.
    const RECT* BevelRect(int id) const;
    // The right and bottom edges of the visible controls and shown bevels, in client pixels: the
    // client size of a window that frames its controls with a box bevel.
    SIZE Extent() const;

private:
    // Where a row stands, at the design's scale: the table's place until Place moves it.
    struct DesignPlace {
        int left, top, width, height;
    };
    struct Bevel {
        int id;
        ControlKind kind;
        RECT rect;
        bool shown;
    };
    Bevel* BevelOf(int id);
    std::size_t RowOf(int id) const { return static_cast<std::size_t>(&DesignOf(id) - design_); }
    void MakeFonts();
    SIZE DesignReach() const;  // DesignedSize at 96 DPI
    void RepaintBevel(const Bevel& bevel) const;
    // WM_PAINT: the bevels shown, below every control (the window must not have WS_CLIPCHILDREN,
    // so controls over a bevel are painted again after it).
    void PaintBevels() const;
    LRESULT ControlColours(HDC dc, HWND control) const;
    bool DrawGlyphButton(const DRAWITEMSTRUCT& item) const;
    bool DrawLink(const DRAWITEMSTRUCT& item) const;
    int FocusedLink() const;  // the id of the link that has the focus; 0: none

    const ControlDesign* design_;
    std::size_t count_;
    FaceLook look_;
    int defaultId_ = 0;
    mutable int dpi_ = 0;
    HWND window_ = nullptr;
    HWND tooltip_ = nullptr;  // a child popup: it goes with the window
    GdiObject<HFONT> font_;
    GdiObject<HFONT> linkFont_;
    std::vector<ButtonGlyph> glyphs_;  // by table row
    std::vector<int> glyphIds_;        // by table row: the bitmap given to SetGlyph, 0 for none
    std::vector<DesignPlace> places_;  // by table row
    std::function<void()> rescaled_;
    std::vector<Bevel> bevels_;
};

}  // namespace norvanex
