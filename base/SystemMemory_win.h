// Owned memory and searches that the system hands out for the caller to give back: LocalAlloc's
// (FormatMessage's buffer), the task allocator's (the shell's ID lists) and FindFirstFileA's.
#pragma once

#include <windows.h>
#include <objbase.h>

#include "base/UniqueHandle.h"

namespace norvanex {

struct FreeLocalMemory {
    void operator()(void* memory) const { LocalFree(memory); }
};
template <class T>
using LocalMemory = UniqueHandle<T*, FreeLocalMemory>;

// With COM running in the process, the shell's allocator is COM's task allocator (SHGetMalloc's
// documentation), so what the shell allocates goes back through CoTaskMemFree.
struct FreeTaskMemory {
    void operator()(void* memory) const { CoTaskMemFree(memory); }
};
template <class T>
using TaskMemory = UniqueHandle<T*, FreeTaskMemory>;

struct CloseFileSearch {
    void operator()(HANDLE search) const { FindClose(search); }
};
using FileSearch = UniqueHandle<HANDLE, CloseFileSearch>;

// FindFirstFileA, owned. It fails with INVALID_HANDLE_VALUE, not null: the search is empty then.
inline FileSearch FindFirstFileOwned(const char* pattern, WIN32_FIND_DATAA& data) {
    const HANDLE search = FindFirstFileA(pattern, &data);
    return FileSearch(search == INVALID_HANDLE_VALUE ? nullptr : search);
}

}  // namespace norvanex
