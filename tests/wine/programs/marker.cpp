// Records its own start and exits: appends one line to a marker file, then ends with exit code 0.
//
// The line is "<GetTickCount>\t<pid>\t<GetCommandLineA>\r\n" (the command line byte for byte, as
// the process received it). The file is %NORVANEX_MARKER% when that variable is set, otherwise
// marker.log beside the executable, so copies under other names in one folder share one file. With
// NORVANEX_MARKER_STAY set to anything, it stays running (windowless) after writing, until ended.
#include <windows.h>

#include <string>

namespace {

std::string MarkerPath() {
  char value[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableA("NORVANEX_MARKER", value, sizeof value);
  if (n > 0 && n < sizeof value) return std::string(value, n);
  char self[MAX_PATH * 2];
  std::string path(self, GetModuleFileNameA(nullptr, self, sizeof self));
  const size_t slash = path.find_last_of("\\/");
  return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "\\marker.log";
}

bool AppendLine(const std::string& path, const std::string& line) {
  // Another marker may hold the file for a moment: markers often start together.
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      const BOOL ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(file);
      return ok && written == line.size();
    }
    if (GetLastError() != ERROR_SHARING_VIOLATION) return false;
    Sleep(10);
  }
  return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string line = std::to_string(GetTickCount()) + "\t" + std::to_string(GetCurrentProcessId()) +
                           "\t" + GetCommandLineA() + "\r\n";
  const bool written = AppendLine(MarkerPath(), line);
  if (GetEnvironmentVariableA("NORVANEX_MARKER_STAY", nullptr, 0) > 0) {
    for (;;) Sleep(INFINITE);
  }
  return written ? 0 : 1;
}
