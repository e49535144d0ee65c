// Hints shown by hovering with the real mouse, on enabled buttons and on those that start disabled.
// Timeout: 200
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include "app/MainLayout.h"

using namespace driver;
using namespace norvanex;

CASE(HintsShowOnDisabledButtons) {
    struct Hover {
        MainControl id;
        bool enabled;  // as the editor starts
        const char *english, *german;
    } hovers[] = {
        {kBitBtn1, false, "Create Shortcut", "Verknüpfung erstellen"},
        {kBitBtn3, false, "Removes a programm from the list", "Programm aus der Liste löschen"},
        {kBitBtn6, false, "Remove programm", "Programm entfernen"},
        {kBitBtn2, true, "Chose file", "Datei wählen"},
        {kCheckBox2, true, "Ask the programs to close first, so that they can save their work",
         "Programme zuerst bitten, sich zu schließen, damit sie speichern können"},
    };
    for (const char* locale : {"en_US.UTF-8", "de_DE.UTF-8"}) {
        const bool german = locale[0] == 'd';
        Editor editor(locale, german ? kEditorCaptionDe : kEditorCaptionEn);
        HWND main = editor.main;
        HWND list = editor.List();
        for (const Hover& hover : hovers) {
            HWND button = ChildById(main, hover.id);
            REQUIRE(button != nullptr);
            CHECK_EQ(Enabled(button), hover.enabled);
            const std::string expected = german ? hover.german : hover.english;
            const std::optional<std::string> tip =
                HoverForTip(editor.process.pid(), main, CenterOnScreen(list), CenterOnScreen(button), expected);
            const bool shown = tip == expected;
            CHECK(shown);
            if (!shown) check::Log(std::string("no tip over ") + expected + ", shown: " +
                                   tip.value_or("(none)"));
            if (hover.id == kBitBtn3) Screenshot(german ? "hint-disabled-de" : "hint-disabled-en");
            if (hover.id == kCheckBox2) Screenshot(german ? "hint-close-de" : "hint-close-en");
        }
        CHECK(editor.Close());
    }
}
