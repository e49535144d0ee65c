// Facts about the running program that need no Windows: its version text and its help file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/AnsiText.h"

namespace norvanex {

// "4.3.0.0" from the fixed file information's file version (most and least significant words).
std::string FormatFileVersion(uint32_t versionMS, uint32_t versionLS);

// Major and minor of a version text: everything from the last point on is cut, twice. A text with
// fewer points loses what it has and no more ("4.3" gives "4", "4" stays "4").
std::string MajorMinor(const std::string& version);

// The help file beside the executable: its folder, a backslash, "Norvanex.hlp". The folder ends at
// the last "\" or ":" that is a character of its own, never the trail byte of a double-byte one.
std::string HelpFilePath(const std::string& exePath, LeadByteFn isLeadByte);

// What the shell is asked for a path's icon: a drive letter, with or without its colon, is
// looked up as the root of that drive ("C" and "C:" give "C:\").
std::string IconLookupPath(const std::string& path);

// A 32-bit program on 64-bit Windows sees "<Windows>\System32" redirected to the 32-bit system
// folder; a 64-bit program's file there is reached as "<Windows>\Sysnative\...". The path with that
// folder put in (a to z in any case), or empty when the path does not lie in System32.
std::string SysnativePath(const std::string& path, const std::string& windowsDirectory, LeadByteFn isLeadByte);
// Whether `path` is "<Windows>\System32" itself (a to z in any case), whose own folder entry a
// 32-bit program on 64-bit Windows finds redirected too.
bool IsSystem32Folder(const std::string& path, const std::string& windowsDirectory, LeadByteFn isLeadByte);
// Whether a path names its drive and folder from the root ("C:\x", "C:/x", "\\server\x",
// "\\?\C:\x"): the same file wherever it is read. "C:x", "\x" and "x\y" depend on the current folder.
bool IsFullPath(std::string_view path);

// A path spelt the one way Windows' full-path rule spells it: slashes become backslashes, a
// relative path or one from the drive's root is taken from `currentDir` (an absolute folder), "."
// and ".." parts and doubled separators go, and so do dots and blanks that end the last part.
// "C:\app\.\x.exe", "C:/work/../app/x.exe", "\\?\C:\app\x.exe" and "C:\app\x.exe" give the same
// text. Letter case and short names stay: the caller compares a to z in either case and asks the file
// system for the long names.
std::string CanonicalPath(std::string_view path, std::string_view currentDir, LeadByteFn isLeadByte);

// The long name of every part of `canonical` (a CanonicalPath result), found the way
// GetLongPathNameA finds it on the systems that have it (Windows 98 and 2000 on): part by part from
// the root, `longNameOf` asked for "root\a", then "root\A-long\b", and so on, and answering with
// the name that the folder holds (FindFirstFileA's cFileName), or nothing when there is none. The
// root ("C:", "\\server\share") stays as written. Empty when a part is missing or holds a
// wildcard, which FindFirstFileA would match instead of looking up.
using LongNameLookup = std::function<std::optional<std::string>(const std::string& path)>;
std::string LongPathByParts(std::string_view canonical, const LongNameLookup& longNameOf, LeadByteFn isLeadByte);

// A design position at 96 DPI brought to `dpi`, rounded to the nearest pixel.
int ScaleToDpi(int designValue, int dpi);

}  // namespace norvanex
