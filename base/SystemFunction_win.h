// System functions that not every supported Windows has, found at run time instead of imported.
#pragma once

#include <windows.h>

namespace norvanex {

// The address of `name` in the system DLL `dll` (loaded at this first use when the process has not
// loaded it yet), or null where this Windows lacks the DLL or the function. Every function newer
// than Windows 95 and NT 4 is called through this, so the program loads and runs on those systems
// (a static import would stop the loader, a delay-load import would raise an exception at the
// first call); the caller takes the older way when the answer is null.
FARPROC FindSystemFunction(const char* dll, const char* name);

template <class Fn>
Fn FindSystemFunctionAs(const char* dll, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(FindSystemFunction(dll, name)));
}

// How FindSystemFunction looks up: LoadLibraryA and GetProcAddress. A test replaces it to take
// away a function that the test's Windows has; the previous lookup comes back.
using SystemFunctionLookup = FARPROC (*)(const char* dll, const char* name);
SystemFunctionLookup ReplaceSystemFunctionLookup(SystemFunctionLookup lookup);

}  // namespace norvanex
