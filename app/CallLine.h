// Reading the call line: parameters split from the command line the way the program always did.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/AnsiText.h"

namespace norvanex {

// Steps to the next character of an ANSI string (CharNextA on Windows: the two bytes of a
// double-byte character stay together). Returns its argument when it points at the terminator.
using CharNextFn = const char* (*)(const char*);

// Parameters 1 to 100 are read; later ones are never looked at.
constexpr int kMaxParams = 100;

// The exact word that makes a run ask first, as parameter 1 only; case matters.
inline constexpr const char* kAskWord = "~ask~";

// The marker that makes a run ask the programs to close before it ends what is left: "~close~"
// waits kDefaultCloseSeconds, "~close:N~" N seconds.
inline constexpr const char* kCloseWord = "~close~";
constexpr int kDefaultCloseSeconds = 30;
constexpr int kMaxCloseSeconds = 3600;

using ParamFn = std::function<std::string(int)>;

// The wait that a close marker sets: kDefaultCloseSeconds for "~close~", N for "~close:N~"; 0 when
// `param` is no marker. N is a whole number from 1 to kMaxCloseSeconds in its one spelling: digits
// only, no sign, no blank and no leading zero ("~close:05~" is no marker), so that every wait is
// written one way and a shortcut loaded into the editor is written back byte for byte. Lower case
// only, compared exactly like "~ask~".
int CloseMarkerSeconds(std::string_view param);

// Where the call line holds its close marker: 1, or 2 when parameter 1 is "~ask~"; 0 when none.
// Anywhere else (a second one, one after a program name) a marker's text is an ordinary name.
int CloseMarkerIndex(const ParamFn& param);

// Whether parameter i is the very text the user wrote (see ParamSurvives); one that is not names
// nothing: it is passed over as if it were not there, and the walk goes on. Empty: all are.
using SurvivesFn = std::function<bool(int)>;

// Walks parameters 1 to 100 up to the first empty one: an "r:" parameter goes to `onStart` with its
// path, the close marker (CloseMarkerIndex) nowhere, every other parameter to `onName`.
void WalkCallLine(const ParamFn& param, const std::function<void(const std::string& path)>& onStart,
                  const std::function<void(const std::string& name)>& onName, const SurvivesFn& survives = {});

// Token `index` (1 or more) of `commandLine`; token 0, the program's own name, is passed over.
// Blanks and control characters separate tokens; a double quote opens a run that keeps blanks and
// ends at the next quote or the end of the line, and may stand anywhere in a token; a pair of
// quotes standing alone yields nothing. There is no escape character. Past the last token: "".
std::string CallLineParam(const char* commandLine, int index, CharNextFn charNext);

// Tokens 1 to `count` (fewer where the line ends first), each read once.
std::vector<std::string> CallLineParams(const char* commandLine, int count, CharNextFn charNext);

// Token `index` of a UTF-16 command line (GetCommandLineW), split by the same rule, and tokens 1
// to `count` of it.
std::u16string WideCallLineParam(const char16_t* commandLine, int index);
std::vector<std::u16string> WideCallLineParams(const char16_t* commandLine, int count);

// Whether the parameter the program reads (`ansi`, from the ANSI command line) is the one the user
// wrote (`wide`, the same token of the UTF-16 command line): it is when `wide` converts exactly
// and to `ansi`. A call line typed in a Unicode shell reaches the ANSI reader through best fit,
// so "māil.exe" would read "mail.exe" and name another program.
bool ParamSurvives(const std::string& ansi, std::u16string_view wide, const ExactAnsiFn& exact);

// This program's call line, split once at start; the mode, the kill run's walk and every other
// reader of a parameter work on this list.
struct CallParams {
    std::string ownPath;             // parameter 0: this program's own file
    std::vector<std::string> texts;  // parameters 1 to the last, all of them (the walk reads 100)
    std::vector<bool> asWritten;     // per text: it is the very text the user wrote (ParamSurvives)

    // Parameter `index`; "" past the last one.
    std::string operator()(int index) const;
    // Whether parameter `index` is the text the user wrote; true where there is none to pass over.
    bool AsWritten(int index) const;
};

// Splits `ansiLine` (GetCommandLineA) into its tokens. `wideLine` is the same line in UTF-16
// (GetCommandLineW) where the system holds it so (the NT line, which hands the ANSI reader its
// best-fit conversion): a token that did not survive the conversion is marked. Null where the
// ANSI line is the original (the 9x line): every token is as written.
CallParams SplitCallParams(std::string ownPath, const char* ansiLine, const char16_t* wideLine, CharNextFn charNext,
                           const ExactAnsiFn& exact);

// True for an "r:" parameter (either letter case): the rest names the program to start.
bool IsStartParam(const std::string& param);

// The program to start as an "r:" parameter names it: everything after the two prefix characters,
// unchanged and whole, however long (the command line's own limit, 32767 characters, is the only
// one). A path cut short would name, and open, another file than the one written; one dropped
// would open nothing and say nothing.
std::string StartPathOf(const std::string& param);

// ---- Writing: the editor's call line -----------------------------------------------------------

// A shortcut's arguments stay within 260 characters (quotes included); 261 are refused.
constexpr size_t kMaxCallLine = 260;

// The longest program to start that the editor writes, as it always has: the arguments hold
// kMaxCallLine characters in all. The kill run itself reads an "r:" path of any length.
constexpr size_t kMaxWrittenStartPath = 255;

// The editor's state as a call carries it.
struct CallRequest {
    bool ask = false;                   // "~ask~" first
    std::vector<std::string> captions;  // the programs to end as listed: paths or bare names
    std::string programToStart;         // empty: none
    // Per caption: true writes it as it stands (a parameter loaded from a shortcut, a full path
    // among them, keeps what it meant); false, or missing, writes its file-name part.
    std::vector<bool> whole;
    bool close = false;    // the close marker after "~ask~" (or first)
    int closeSeconds = 0;  // 0 writes "~close~", N "~close:N~" (as loaded from a shortcut)
};

// The parameter that caption `index` of `request` becomes, before quoting.
std::string_view CallNameOf(const CallRequest& request, size_t index, LeadByteFn isLeadByte);

// "~ask~", the close marker, each caption's parameter (CallNameOf), "r:" and the program to start,
// single blanks between, no blank at either end. A name or path holding a blank (or any other
// separator of the reader) is enclosed in double quotes, which the reader removes again: written
// bare it would be split into other names and end or start the wrong programs.
std::string ComposeCallLine(const CallRequest& request, LeadByteFn isLeadByte);

// What a kill run reads from a call line (its parameters, without the program's own name).
struct CallRead {
    bool ask = false;
    bool close = false;              // a close marker where it counts
    int closeSeconds = 0;            // its N as written; 0 for "~close~" (as CallRequest has it)
    std::vector<std::string> names;  // the programs to end, a leading "~ask~" and the marker not among them
    bool startNamed = false;
    std::string programToStart;      // of the last "r:" parameter
    int paramCount = 0;              // every parameter the line holds, also those never read
};
CallRead ReadCallLine(const std::string& line, CharNextFn charNext);

enum class CallLineFault {
    None,
    TooLong,           // more than kMaxCallLine characters
    TooManyParams,     // more than kMaxParams: the last ones would never be read
    StartPathTooLong,  // a program to start over kMaxWrittenStartPath characters
    UnreadableName,    // `subject` (a caption) would not come back as its own program name
    UnreadableStart,   // the program to start would not come back as written
};

struct CallLineVerdict {
    CallLineFault fault = CallLineFault::None;
    std::string subject;  // the caption or path at fault
    size_t count = 0;     // the length or number that is too large
};

// Whether `line`, composed from `request`, is one that Create may write: within the limit, and read
// back by the kill run as the same ask flag and close marker, the same names in order and the same
// program to start.
CallLineVerdict CheckCallLine(const CallRequest& request, const std::string& line, LeadByteFn isLeadByte,
                              CharNextFn charNext);

// A message composed at run time, in both forms; SelectText picks one.
struct MessageText {
    std::string english;
    std::string german;
};

// The error box's message for a refused call line (both empty for None).
MessageText CallLineFaultText(const CallLineVerdict& verdict);

}  // namespace norvanex
