// Run-time lookups of system functions that older Windows versions lack.
#include "base/SystemFunction_win.h"

#include "base/SystemDll_win.h"

namespace norvanex {

namespace {

FARPROC LoadAndFind(const char* dll, const char* name) {
    HMODULE module = GetModuleHandleA(dll);
    // From the system folder, never the program's; kept loaded for the life of the process, as an
    // import would be.
    if (module == nullptr) module = LoadSystemDll(dll);
    return module ? GetProcAddress(module, name) : nullptr;
}

SystemFunctionLookup lookup = LoadAndFind;

}  // namespace

FARPROC FindSystemFunction(const char* dll, const char* name) { return lookup(dll, name); }

SystemFunctionLookup ReplaceSystemFunctionLookup(SystemFunctionLookup replacement) {
    const SystemFunctionLookup previous = lookup;
    lookup = replacement ? replacement : LoadAndFind;
    return previous;
}

}  // namespace norvanex
