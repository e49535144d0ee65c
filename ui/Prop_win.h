// The system's properties sheet of a file.
#pragma once

#include <windows.h>

#include <string>

namespace norvanex {

// Opens the properties sheet of `path` with the page named `page` in front. The system shows no
// error box of its own; the result says whether the shell took the request.
bool ShowFileProperties(HWND owner, const std::string& path, const std::string& page);

}  // namespace norvanex
