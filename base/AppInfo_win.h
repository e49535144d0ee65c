// The running program's shared facts and shell services, for every window of the program.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/KernelHandle_win.h"

namespace norvanex {

// Application-wide facts set once at start.
struct Application {
    std::string title = "Norvanex";
    std::string exePath;   // parameter 0: the system's facts' own path (ThisSystem().ownPath)
    std::string helpFile;  // beside the executable
    bool terminated = false;
};
Application& App();

// The exit code of a program that could not go on, or could not start.
constexpr int kExitCannotGoOn = 8;

// What the program says when something unexpected went wrong, set once at start (the words are the
// program's, not this layer's). CannotGoOn says it (nothing when none is set, or when saying it
// fails too; once, also when saying it fails and comes back here) and ends the process at once
// with kExitCannotGoOn: no window and no process is left.
void SetCannotGoOnMessage(void (*say)());
[[noreturn]] void CannotGoOn() noexcept;

// The system's words for an error code or a status (FormatMessage), in the system's language,
// without the line break they end with; empty where the system has none.
std::string SystemMessage(std::uint32_t code);

// Ends the program with `exitCode`: the message loop stops as soon as it runs (also when asked
// during start-up).
void Terminate(int exitCode = 0);

// The path under which the shell reaches the file: a 64-bit program's file in System32 through
// Sysnative, where this 32-bit program runs on 64-bit Windows and that folder answers; else the path.
std::string ShellPath(const std::string& path);

// The index of a path's small icon in the system image list; 0 when the shell knows none.
int GetFileIconIndex(const std::string& path);
// The same index, asked for without an icon handle: for lists drawn from the system image list,
// where the handle would be made and destroyed for nothing (it halves the lookup under Wine).
int GetFileIconIndexOnly(const std::string& path);
// The same for a path that the ANSI code page cannot hold.
int GetFileIconIndexOnly(const std::u16string& path);

// The shell's small and large system image lists, asked for through `root` (a drive root). They
// belong to the shell: never changed, never destroyed.
struct SystemImageLists {
    HIMAGELIST small = nullptr;
    HIMAGELIST large = nullptr;
};
SystemImageLists QuerySystemImageLists(const std::string& root);

// Starts the shell on a thread of its own: asks for the system image lists through `root` and
// for the icons of `paths`, so that a window whose first picture shows those icons is built while
// the shell starts (some 40 ms under Wine) instead of after it; the lists and icons asked for
// later come from the shell's cache. Wait (and the destructor) waits for the thread, at most
// kWaitMs.
class ShellWarmUp {
public:
    // The window's thread never waits without a limit: a shell held up for longer (a drive that
    // does not answer, a shell extension that hangs) is left to itself, and the window asks the
    // shell for its lists and icons as it would without the warm-up. The thread owns what it
    // asks for, so it may outlive this object.
    static constexpr DWORD kWaitMs = 2000;

    ShellWarmUp(std::string root, std::vector<std::string> paths);
    ~ShellWarmUp();
    ShellWarmUp(const ShellWarmUp&) = delete;
    ShellWarmUp& operator=(const ShellWarmUp&) = delete;
    void Wait();

private:
    struct Work;
    static DWORD WINAPI Run(void* work);
    KernelHandle thread_;
};

// The executable's file version as four numbers ("4.3.0.0"); empty without a version resource.
// Read from the running module's own resource, so that no path limit stands in the way.
std::string GetVersionText();

// The one spelling of a path that the file system knows: CanonicalPath from the current folder,
// then the long name of every part where the file exists (LongPathOf).
std::string CanonicalPathOf(const std::string& path);
// The long name of every part of a full canonical path, or empty when a part does not exist.
std::string LongPathOf(const std::string& full);

// The longest path that the A functions and the shell's link object take whole (MAX_PATH less
// the terminator); a program lying deeper cannot be a shortcut's target.
constexpr size_t kMaxAnsiPath = MAX_PATH - 1;

}  // namespace norvanex
