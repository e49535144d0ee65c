// System functions that not every supported Windows has, found at run time instead of imported.
#pragma once

#include <windows.h>

namespace norvanex {

// The address of `name` in the system DLL `dll` (loaded at this first use when the process has not
// loaded it yet), or null where this Windows lacks the DLL or the function. A function newer than
// Windows 95 and NT 4.0 is never imported (a static import would stop the loader there, a
// delay-load import would raise an exception at its first call): it is found through this (the
// comctl32 binding too), or through the process layer's platform, which looks up its own; the
// caller takes the older way when the answer is null. tests/wine/win95-nt4-exports.txt lists
// what may be imported.
FARPROC FindSystemFunction(const char* dll, const char* name);

template <class Fn>
Fn FindSystemFunctionAs(const char* dll, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(FindSystemFunction(dll, name)));
}

// How FindSystemFunction looks up: LoadSystemDll and GetProcAddress. A test replaces it to take
// away a function that the test's Windows has; the previous lookup comes back.
using SystemFunctionLookup = FARPROC (*)(const char* dll, const char* name);
SystemFunctionLookup ReplaceSystemFunctionLookup(SystemFunctionLookup lookup);

}  // namespace norvanex
