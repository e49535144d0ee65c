// The help key: which topic F1 opens, the request the help viewer gets, and whether the system has
// a viewer for the help file at all or the HTML copy of the help opens in the browser instead.
#pragma once

#include <string>
#include <string_view>

#include "base/AnsiText.h"
#include "ui/Lang.h"

namespace norvanex {

// One index topic of the help: its context id in Norvanex.hlp, its map number there, and the HTML
// page beside the executable that holds the same text (anchored by the context id).
struct HelpTopic {
    const char* contextId;
    unsigned mapNumber;
    const char* htmlPage;
};

// The index topic in the language of the country that `query` gives; throws SilentAbort when the
// locale cannot be read.
const HelpTopic& HelpIndexTopic(CountryQuery query);

// The viewer macro that jumps to a topic of the current help file: JumpID("","<id>"), cut to 255
// bytes without splitting a double-byte character.
std::string JumpIdMacro(std::string_view contextId, LeadByteFn isLeadByte);

// What WinHelp is asked for. A topic with a map number is opened by that number (HELP_CONTEXT):
// every WinHelp viewer answers it, while some run no macros; any other topic goes by the macro.
struct HelpRequest {
    enum class Kind { Context, Macro } kind;
    unsigned mapNumber;  // Context
    std::string macro;   // Macro
};
HelpRequest HelpRequestFor(std::string_view contextId, LeadByteFn isLeadByte);

// What the system offers for the help file. Windows since Vista keeps only a stub named
// winhlp32.exe in the Windows folder (its file description says "Stub") unless the separate
// viewer was installed over it; Windows 10 and 11 have no installable viewer at all.
struct HelpViewerFacts {
    bool viewerExists = false;        // <Windows folder>\winhlp32.exe is a file
    std::string viewerDescription;    // its version resource's FileDescription, may be empty
    bool htmlPageExists = false;      // the topic's HTML page lies beside the executable
    bool helpFileExists = true;       // Norvanex.hlp lies beside the executable
};

// Missing: neither help file is there, and the program says so itself.
enum class HelpViewer { WinHelp, Browser, Missing };

// WinHelp when a real viewer and the help file are there; else the HTML page in the browser when
// it exists; else WinHelp after all when the help file is there, so that the system explains that
// its viewer is missing; else nothing can be shown.
HelpViewer ChooseHelpViewer(const HelpViewerFacts& facts);

// A file in the same folder as the help file (which ends in "Norvanex.hlp").
std::string BesideHelpFile(const std::string& helpFile, std::string_view name);

// Whether the program that opens the HTML page can be handed the page's URL with its #topic as
// its argument: a browser can; rundll32.exe, behind which some associations hide a DLL entry, would
// take it for the DLL to call, and nothing would open. False for an empty program too.
bool TakesPageUrl(std::string_view program, LeadByteFn isLeadByte);

// A file: URL for a Windows path with a fragment: "C:\My Help\a.html" and "top" give
// file:///C:/My%20Help/a.html#top; a UNC path \\server\share\a.html gives file://server/share/a.html.
// Backslashes become slashes only where they are characters of their own (never a trail byte);
// blanks, '#', '%' and control bytes are escaped, other bytes above 127 stay as the code page has
// them, for the shell converts the URL to Unicode through that code page.
std::string FileUrl(std::string_view path, std::string_view fragment, LeadByteFn isLeadByte);

}  // namespace norvanex
