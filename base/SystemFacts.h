// The facts of the running system that the program reads once, at start, and hands down: which
// Windows, where its folders are, where this program is, how its code page cuts text, and whether
// a 64-bit Windows runs it. SystemFacts_win.h reads them; everything else is given them.
#pragma once

#include <string>

#include "base/AnsiText.h"
#include "base/SystemTraits.h"

namespace norvanex {

struct SystemFacts {
    // GetVersionExA; platform id 0 where it failed, which every rule takes as "not the NT line".
    WindowsVersion version;
    // GetWindowsDirectoryA and GetSystemDirectoryA, without a trailing backslash; empty where
    // the system did not answer.
    std::string windowsFolder;
    std::string systemFolder;
    // This program's own file (GetModuleFileNameA), whatever its length; empty where unknown.
    std::string ownPath;
    // The ANSI code page's double-byte question (IsDBCSLeadByte).
    LeadByteFn leadBytes = NoLeadBytes;
    // This 32-bit program runs on 64-bit Windows (IsWow64Process): System32 is redirected for it.
    bool wow64 = false;

    bool NtLine() const { return version.platformId == kVerPlatformNt; }
};

}  // namespace norvanex
