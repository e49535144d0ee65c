// The program's message box: the message follows the language choice, the title and the buttons
// are the fixed German ones in both languages.
#pragma once

#include <windows.h>

#include <string>

#include "base/AnsiText.h"

namespace norvanex {

enum class MessageKind {
    Error,         // "Fehler", OK
    Information,   // "Informationen", OK
    Confirmation,  // "Bestätigung", Yes (default) and No
};

// Shows the box modally, centred on the screen. Returns IDYES, IDNO or IDOK for the buttons;
// Escape answers No in a question and OK in a notice; the close box answers IDCANCEL. 0: the box
// could not be made, and nobody answered.
int ShowMessage(HWND owner, const std::string& message, MessageKind kind);
// The same with the message in the language of the user's country.
int ShowMessage(HWND owner, const TextPair& message, MessageKind kind);
// The same with a message in UTF-16, for one that names a file the ANSI code page cannot hold.
int ShowMessage(HWND owner, const std::wstring& message, MessageKind kind);

}  // namespace norvanex
