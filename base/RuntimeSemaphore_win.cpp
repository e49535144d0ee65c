// CreateSemaphoreW for the runtime: libgcc's thread support (gthr-win32, the mutexes of the
// unwinder's frame registry and of its once-only initialisation) makes its semaphores through
// CreateSemaphoreW, which the 9x line has only as a stub that fails. A semaphore without a name
// is the same object whichever function makes it, so the program answers the import itself with
// CreateSemaphoreA, which every Windows implements: the linker takes this definition of the
// import's pointer and binds no CreateSemaphoreW from kernel32.
#include <windows.h>

#include <string>

namespace {

HANDLE WINAPI CreateSemaphoreThroughAnsi(LPSECURITY_ATTRIBUTES attributes, LONG initialCount, LONG maximumCount,
                                         LPCWSTR name) {
    if (name == nullptr) return CreateSemaphoreA(attributes, initialCount, maximumCount, nullptr);
    const int size = WideCharToMultiByte(CP_ACP, 0, name, -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, name, -1, ansi.data(), size, nullptr, nullptr);
    return CreateSemaphoreA(attributes, initialCount, maximumCount, ansi.c_str());
}

}  // namespace

// The import pointer as i686 code reaches it: call *__imp__CreateSemaphoreW@16.
extern "C" {
extern decltype(&CreateSemaphoreW) const norvanexCreateSemaphoreW __asm__("__imp__CreateSemaphoreW@16");
decltype(&CreateSemaphoreW) const norvanexCreateSemaphoreW = CreateSemaphoreThroughAnsi;
}
