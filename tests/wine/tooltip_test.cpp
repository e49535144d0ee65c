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
            // From a place without a hint, so that the tip has to come up anew.
            CHECK(MouseMove(CenterOnScreen(list), main));
            CHECK(WaitUntil([&] { return !ShownTip(editor.process.pid()).has_value(); }, 3000));
            const std::string expected = german ? hover.german : hover.english;
            // Resting on the button, moved by a pixel now and then as a hand does: a tip waits for
            // the mouse to move over its tool.
            POINT at = CenterOnScreen(button);
            CHECK(MouseMove(at, main));
            int step = 0;
            const bool shown = WaitUntil([&] {
                if (ShownTip(editor.process.pid()) == expected) return true;
                if (++step % 25 == 0) {
                    at.x += (step / 25) % 2 ? 1 : -1;
                    MouseMove(at, main);
                }
                return false;
            }, 5000);
            CHECK(shown);
            if (!shown) check::Log(std::string("no tip over ") + expected + ", shown: " +
                                   ShownTip(editor.process.pid()).value_or("(none)"));
            if (hover.id == kBitBtn3) Screenshot(german ? "hint-disabled-de" : "hint-disabled-en");
            if (hover.id == kCheckBox2) Screenshot(german ? "hint-close-de" : "hint-close-en");
        }
        CHECK(editor.Close());
    }
}
