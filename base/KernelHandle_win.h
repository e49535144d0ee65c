// An owned kernel handle (a thread, a process, an event), closed once by CloseHandle.
#pragma once

#include <windows.h>

#include "base/UniqueHandle.h"

namespace norvanex {

struct CloseKernelHandle {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using KernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;

}  // namespace norvanex
