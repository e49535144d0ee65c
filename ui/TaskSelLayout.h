// The task chooser as designed at 96 DPI: control ids, places and texts.
#pragma once

#include "base/AnsiText.h"

namespace norvanex::tasksel {

// BitBtn1 and BitBtn2 carry the dialog ids of the default and the cancel button, so Enter and
// Escape reach them through IsDialogMessage.
enum Control : int {
    kBitBtn1 = 1,  // IDOK
    kBitBtn2 = 2,  // IDCANCEL
    kTasks = 201,
    kLabel1,
};

struct Design {
    Control id;
    int left, top, width, height;  // Label1 sizes itself to its text: width and height 0
};

constexpr int kClientWidth = 417;
constexpr int kClientHeight = 289;

// Creation order is tab order: the two buttons, then the list; the label takes no focus.
constexpr Design kDesign[] = {
    {kBitBtn1, 120, 256, 91, 25},
    {kBitBtn2, 224, 256, 89, 25},
    {kTasks, 8, 24, 401, 225},
    {kLabel1, 8, 8, 0, 0},
};

namespace texts {
constexpr TextPair kTitle{"Choose tasks to kill", "Zu beendende Tasks wählen"};
constexpr TextPair kBitBtn1{"&OK", "&OK"};
constexpr TextPair kBitBtn2{"A&bort", "A&bbrechen"};
constexpr TextPair kRunningTasks{"running tasks:", "laufende Tasks:"};
constexpr TextPair kTasksHint{"double-click for details", "Doppelclick für Details"};
constexpr TextPair kNotExactHint{
    "Greyed programs have names that this Windows cannot pass to Norvanex; they cannot be chosen. "
    "Double-click for details",
    "Grau dargestellte Programme haben Namen, die dieses Windows nicht an Norvanex übergeben kann; "
    "sie können nicht gewählt werden. Doppelclick für Details"};
}  // namespace texts

}  // namespace norvanex::tasksel
