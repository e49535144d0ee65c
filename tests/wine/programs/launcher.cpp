// Starts a program for the test driver from inside a Wine process whose Unix locale the driver chose
// (Wine hands a parent's locale down to its children, not the LC_ALL of an environment block).
//
//   launcher.exe REQUEST
// REQUEST holds "<driver pid>\n<executable>\n<working folder>\n<command line>" (the command line runs
// to the end of the file, byte for byte). The answer goes to REQUEST.out: "ok <pid> <handle>" with a
// process handle duplicated into the driver, or "error <code> <what>". Exit code 0 or 1 alike.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string RequestPath() {
  // Everything after the first token of our own command line, without surrounding quotes.
  const char* p = GetCommandLineA();
  if (*p == '"') {
    for (++p; *p && *p != '"'; ++p) {}
    if (*p) ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  std::string path(p);
  while (!path.empty() && (path.back() == ' ' || path.back() == '\t')) path.pop_back();
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
  return path;
}

bool ReadAll(const std::string& path, std::string& out) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  CloseHandle(file);
  return true;
}

// Written aside and renamed, so the driver never reads half an answer.
void Answer(const std::string& request, const std::string& text) {
  const std::string path = request + ".out", temp = request + ".tmp";
  HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::string Line(const std::string& text, size_t& at) {
  const size_t end = text.find('\n', at);
  std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
  at = end == std::string::npos ? text.size() : end + 1;
  return line;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string request = RequestPath();
  std::string text;
  if (!ReadAll(request, text)) return 1;
  size_t at = 0;
  const DWORD driverPid = static_cast<DWORD>(std::strtoul(Line(text, at).c_str(), nullptr, 10));
  const std::string exe = Line(text, at);
  const std::string workDir = Line(text, at);
  std::string commandLine = text.substr(at);

  HANDLE driver = OpenProcess(PROCESS_DUP_HANDLE, FALSE, driverPid);
  if (!driver) {
    Answer(request, "error " + std::to_string(GetLastError()) + " cannot open the driver process\n");
    return 1;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      workDir.empty() ? nullptr : workDir.c_str(), &startup, &info)) {
    Answer(request, "error " + std::to_string(GetLastError()) + " CreateProcess failed\n");
    return 1;
  }
  HANDLE forDriver = nullptr;
  const bool duplicated =
      DuplicateHandle(GetCurrentProcess(), info.hProcess, driver, &forDriver, 0, FALSE, DUPLICATE_SAME_ACCESS);
  const DWORD error = GetLastError();
  if (!duplicated) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  CloseHandle(driver);
  if (!duplicated) {
    Answer(request, "error " + std::to_string(error) + " DuplicateHandle failed\n");
    return 1;
  }
  Answer(request, "ok " + std::to_string(info.dwProcessId) + " " +
                   std::to_string(reinterpret_cast<ULONG_PTR>(forDriver)) + "\n");
  return 0;
}
