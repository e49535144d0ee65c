// One row of a window's design table: what a control is and where it lies at 96 DPI. Every
// designed window (the main window, the chooser, the about box, the message box) describes its
// controls this way, and DesignedWindow builds them.
#pragma once

namespace norvanex {

// What a control is. The kind gives the control's class and its usual styles; a bevel is no window
// at all, the window paints it below its controls.
enum class ControlKind : unsigned char {
    Button,    // push button with a tab stop
    CheckBox,  // automatic check box with a tab stop
    GroupBox,  // lies below every other control, so that it never paints over what it frames
    Label,     // static text; designed 0 by 0, it sizes itself to its text
    Link,      // a text that takes the mouse and the keyboard, underlined, in the system's link colour;
               // it sizes itself as a label does and moves left rather than cross the margin
    ListView,  // sunken list with a tab stop that shares the shell's image lists
    Picture,   // owner-drawn: the window draws it in WM_DRAWITEM
    Icon,      // an icon the window gives it (STM_SETICON), at the icon's own size
    TopLine,   // bevel: an etched line along the top edge of its place
    Frame,     // bevel: a thin sunken frame
    BoxBevel,  // bevel: an etched frame
};

// What a control has beside its kind's usual look.
namespace control {
constexpr unsigned kDefault = 1;   // the button that Enter presses
constexpr unsigned kNoPrefix = 2;  // an ampersand in the text shows as itself
constexpr unsigned kNotify = 4;    // a label that takes the mouse: clicks, a tip of its own
constexpr unsigned kWrapped = 8;   // text broken at word ends, inside a long word as an edit control does
constexpr unsigned kSingleSelection = 16;
}  // namespace control

// One control as designed at 96 DPI. Table order is creation order, and so z-order and tab order.
struct ControlDesign {
    int id;
    ControlKind kind;
    int left, top, width, height;
    unsigned flags = 0;   // control::k...
    bool visible = true;  // as designed, before the window changes it
    bool enabled = true;
};

// The right margin that fitted labels keep inside the client area, in design pixels.
constexpr int kLabelRightMargin = 8;

// A place in pixels: the left and top edges, and the right and bottom edges just outside it.
struct PixelPlace {
    int left, top, right, bottom;
};

// A place of the design's scale as a control placed at `dpi` covers it: its corner and its size
// each scaled (ScaleToDpi), as the window gives them to the control.
PixelPlace ScaledPlace(int left, int top, int width, int height, int dpi);

}  // namespace norvanex
