// Where the program's DLLs come from: the system folder alone, never the folder that Norvanex.exe was
// started from (a download folder may hold a planted version.dll) nor the current folder.
#pragma once

#include <windows.h>

namespace norvanex {

// The first thing the process does, from its entry point before the C runtime starts (it uses
// kernel32 alone): where kernel32 has SetDefaultDllDirectories (Windows 8, Vista and 7 with
// KB2533623) every later search for a DLL named without a path, the system DLLs' own included,
// looks in the system folder alone; elsewhere SetDllDirectoryA("") (XP SP1 and later) takes the
// current folder out of the search. Then the DLLs that system DLLs ask for by bare name are loaded
// from the system folder by full path, so that the loader finds them loaded instead of searching
// the program's folder first: where the search is not restricted, before the program first loads a
// DLL itself (advapi32 aside); where it is, at PreloadSystemDlls.
void RestrictDllSearch();

// Where the search is restricted, the preload waits for this call: once a kill run has nothing left
// to end (a ~close~ run binds user32 before), before the first window. Elsewhere it is done already.
void PreloadSystemDlls();

// The system folder as RestrictDllSearch read it at the entry point (read at this call where the
// entry point did not run, as in a test program), without a trailing backslash; empty where it
// could not be read. The system's facts take it from here: it is read once.
const char* SystemFolderReadAtEntry();

// The system DLL `name` ("version.dll"), loaded from the system folder by its full path, on every
// Windows; null where it is missing there. comctl32.dll goes by its bare name where that is safe
// (the manifest's activation context redirects it to common controls 6, or the search is restricted
// to the system folder), since a full path would bypass the side-by-side binding and give version 5.
// The delay-load helper binds the delay-loaded DLLs through this too.
HMODULE LoadSystemDll(const char* name);

}  // namespace norvanex
