// The task chooser as designed at 96 DPI: control ids, places and texts.
#pragma once

#include "base/AnsiText.h"
#include "base/ControlDesign.h"

namespace norvanex::tasksel {

// BitBtn1 and BitBtn2 carry the dialog ids of the default and the cancel button, so Enter and
// Escape reach them through IsDialogMessage.
enum Control : int {
    kBitBtn1 = 1,  // IDOK
    kBitBtn2 = 2,  // IDCANCEL
    kTasks = 201,
    kLabel1,
    kBevel1 = 301,  // painted by the window: no control, apart from the controls' ids
};

// Creation order is tab order: the two buttons, then the list; the label takes no focus. The label
// stands just before the list, so that a screen reader names the list by it (a control without a
// text of its own takes the label before it in z-order). Bevel1 frames the whole client area.
constexpr ControlDesign kDesign[] = {
    {kBitBtn1, ControlKind::Button, 120, 256, 91, 25, control::kDefault},
    {kBitBtn2, ControlKind::Button, 224, 256, 89, 25},
    {kLabel1, ControlKind::Label, 8, 8, 0, 0, control::kNoPrefix},
    {kTasks, ControlKind::ListView, 8, 24, 401, 225, control::kSingleSelection},
    {kBevel1, ControlKind::BoxBevel, 0, 0, 417, 289},
};

// The chooser's texts.
struct Texts {
    TextPair title, bitBtn1, bitBtn2, runningTasks, tasksHint, notExactHint;
};
constexpr Texts kTexts{
    {"Choose tasks to kill", "Zu beendende Tasks wählen"},
    {"&OK", "&OK"},
    {"A&bort", "A&bbrechen"},
    {"running tasks:", "laufende Tasks:"},
    {"double-click for details", "Doppelclick für Details"},
    {"Greyed programs have names that this Windows cannot pass to Norvanex; they cannot be chosen. "
     "Double-click for details",
     "Grau dargestellte Programme haben Namen, die dieses Windows nicht an Norvanex übergeben kann; "
     "sie können nicht gewählt werden. Doppelclick für Details"},
};

}  // namespace norvanex::tasksel
