// Starting and ending programs, paths of the bench, the host's shell and the bench's DPI setting.
#include "driver/Driver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace driver {
namespace {

bool SameTextNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 2];
  const DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  return (n > 0 && n < sizeof buffer) ? std::string(buffer, n) : path;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  out.clear();
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  CloseHandle(file);
  return true;
}

bool WriteWholeFile(const std::string& path, const std::string& data) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                  written == data.size();
  CloseHandle(file);
  return ok;
}

// The environment block for a child: ours, with the given variables added or replaced.
std::string EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& changes) {
  std::string block;
  char* strings = GetEnvironmentStringsA();
  for (const char* p = strings; *p; p += std::strlen(p) + 1) {
    const char* equals = std::strchr(p + 1, '=');  // "=C:=C:\x" names start with '='
    const std::string name = equals ? std::string(p, equals) : std::string(p);
    bool replaced = false;
    for (const auto& change : changes) replaced = replaced || SameTextNoCase(change.first, name);
    if (!replaced) block.append(p).push_back('\0');
  }
  FreeEnvironmentStringsA(strings);
  for (const auto& change : changes) block.append(change.first + "=" + change.second).push_back('\0');
  block.push_back('\0');
  return block;
}

// LC_ALL travels on a Unix command line: allow only what locale names consist of.
bool PlainLocaleName(const std::string& name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (!std::isalnum(c) && c != '_' && c != '.' && c != '-' && c != '@') return false;
  }
  return true;
}

std::string WineLoader() {
  if (GetFileAttributesA("Z:\\usr\\bin\\wine") != INVALID_FILE_ATTRIBUTES) return "/usr/bin/wine";
  char loader[MAX_PATH];
  const DWORD n = GetEnvironmentVariableA("WINELOADER", loader, sizeof loader);
  return (n > 0 && n < sizeof loader) ? std::string(loader, n) : "wine";
}

Process StartDirect(const std::string& exe, const std::string& commandLine, const StartOptions& options) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;
  std::string block;
  if (!options.env.empty()) block = EnvironmentBlock(options.env);
  if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0,
                      block.empty() ? nullptr : &block[0],
                      options.workDir.empty() ? nullptr : options.workDir.c_str(), &startup, &info)) {
    return Process::Failed("CreateProcess failed with error " + std::to_string(GetLastError()) +
                           " for " + commandLine);
  }
  CloseHandle(info.hThread);
  return Process(info.hProcess, info.dwProcessId, commandLine);
}

// See Start(): the launcher reads REQUEST ("<driver pid>\n<exe>\n<work dir>\n<command line>") and answers
// in REQUEST.out with "ok <pid> <handle valid in the driver>" or "error <code> <what>".
Process StartThroughLauncher(const std::string& exe, const std::string& commandLine,
                             const StartOptions& options) {
  const std::string lcAll = options.lcAll.empty() ? "C.UTF-8" : options.lcAll;
  if (!PlainLocaleName(lcAll)) return Process::Failed("unusable LC_ALL value: " + lcAll);
  const std::string launcher = BesideMe("launcher.exe");
  if (GetFileAttributesA(launcher.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return Process::Failed("launcher.exe is missing beside the test program");
  }
  static int counter = 0;
  const std::string request = ScratchFolder() + "\\launch-" + std::to_string(++counter) + ".txt";
  const std::string answer = request + ".out";
  DeleteFileA(answer.c_str());
  const std::string workDir = options.workDir.empty() ? FullPath(".") : options.workDir;
  if (!WriteWholeFile(request, std::to_string(GetCurrentProcessId()) + "\n" + exe + "\n" + workDir + "\n" +
                                commandLine)) {
    return Process::Failed("cannot write " + request);
  }
  // Locales the bench made itself (en_US, de_DE) are found through LOCPATH; others as the machine has them.
  std::string locpath;
  char locales[MAX_PATH] = {};
  if (GetEnvironmentVariableA("NORVANEX_LOCALES", locales, MAX_PATH) > 0) {
    const std::string folder = std::string(locales) + "/" + lcAll;
    std::string windowsFolder = "Z:" + folder;
    std::replace(windowsFolder.begin(), windowsFolder.end(), '/', '\\');
    if (GetFileAttributesA(windowsFolder.c_str()) != INVALID_FILE_ATTRIBUTES) {
      locpath = "LOCPATH=" + std::string(locales) + " ";
    }
  }
  std::string unixLine = "/usr/bin/env " + locpath + "LC_ALL=" + lcAll + " " + QuoteArg(WineLoader()) + " " +
                         QuoteArg(launcher) + " " + QuoteArg(request);
  if (!options.stderrPath.empty()) {
    DeleteFileA(options.stderrPath.c_str());
    // The shell reads backslashes as escapes: every Windows path goes in single quotes.
    const std::string script = "exec /usr/bin/env " + locpath + "LC_ALL=" + lcAll + " '" + WineLoader() + "' '" +
                               launcher + "' '" + request + "' 2>'" + UnixPath(options.stderrPath) + "'";
    unixLine = "/bin/sh -c " + QuoteArg(script);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string block = EnvironmentBlock(options.env);
  if (!CreateProcessA(nullptr, &unixLine[0], nullptr, nullptr, FALSE, 0, &block[0], nullptr, &startup,
                      &info)) {
    return Process::Failed("cannot start " + unixLine + ": error " + std::to_string(GetLastError()));
  }
  // A Unix process's handle cannot be waited for under Wine; the answer file tells.
  if (info.hThread) CloseHandle(info.hThread);
  if (info.hProcess) CloseHandle(info.hProcess);
  std::string reply;
  const bool answered = WaitUntil([&] { return ReadWholeFile(answer, reply) && !reply.empty(); }, 30000, 25);
  DeleteFileA(request.c_str());
  DeleteFileA(answer.c_str());
  if (!answered) return Process::Failed("no answer from launcher.exe for " + commandLine);
  unsigned long pid = 0, handle = 0;
  if (std::sscanf(reply.c_str(), "ok %lu %lu", &pid, &handle) != 2) {
    return Process::Failed("launcher.exe: " + reply);
  }
  return Process(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(handle)), pid, commandLine);
}

}  // namespace

std::string ModuleFolder() {
  char path[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, n);
  const size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? "." : folder.substr(0, slash);
}

std::string BesideMe(const std::string& name) { return ModuleFolder() + "\\" + name; }

std::string NorvanexExe() { return BesideMe("Norvanex.exe"); }

std::string ScreenshotFolder() {
  const std::string folder = FullPath(ModuleFolder() + "\\..\\screenshots");
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::string ScratchFolder() {
  static std::string folder;
  if (folder.empty()) {
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(sizeof temp, temp);
    std::string base = (n > 0 && n < sizeof temp) ? std::string(temp, n) : std::string("C:\\");
    if (base.back() != '\\') base += '\\';
    folder = base + "bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  return folder;
}

std::string FileBytes(const std::string& path) {
  std::string bytes;
  return ReadWholeFile(path, bytes) ? bytes : std::string();
}

std::vector<std::string> FileLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string UnixPath(const std::string& windowsPath) {
  // kernel32 of Wine exports the mapping; Windows has no such function.
  using GetUnixName = char* (__cdecl*)(const WCHAR*);
  static const auto getUnixName = reinterpret_cast<GetUnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  const std::string full = FullPath(windowsPath);
  if (getUnixName) {
    WCHAR wide[MAX_PATH * 2];
    if (MultiByteToWideChar(CP_ACP, 0, full.c_str(), -1, wide, MAX_PATH * 2) > 0) {
      if (char* unixName = getUnixName(wide)) {
        std::string result(unixName);
        HeapFree(GetProcessHeap(), 0, unixName);
        return result;
      }
    }
  }
  std::string result = full;
  if (result.size() >= 2 && (result[0] == 'Z' || result[0] == 'z') && result[1] == ':') result.erase(0, 2);
  for (char& c : result) {
    if (c == '\\') c = '/';
  }
  return result;
}

std::string QuoteArg(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count double before a quote, and the quote itself is escaped.
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');  // before the closing quote
  return out + "\"";
}

// ---- Process ----

Process::Process(HANDLE handle, DWORD pid, std::string commandLine)
    : handle_(handle), pid_(pid), commandLine_(std::move(commandLine)) {}

Process::Process(Process&& other) noexcept { *this = std::move(other); }

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    pid_ = other.pid_;
    detached_ = other.detached_;
    commandLine_ = std::move(other.commandLine_);
    error_ = std::move(other.error_);
    other.handle_ = nullptr;
    other.pid_ = 0;
  }
  return *this;
}

Process::~Process() { Close(); }

Process Process::Failed(std::string why) {
  Process failed;
  failed.error_ = std::move(why);
  return failed;
}

void Process::Close() {
  if (!handle_) return;
  if (!detached_ && Running()) {
    TerminateProcess(handle_, 1);
    WaitForSingleObject(handle_, 5000);
  }
  CloseHandle(handle_);
  handle_ = nullptr;
}

bool Process::Running() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Process::WaitExit(DWORD timeoutMs) const {
  if (!handle_ || WaitForSingleObject(handle_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(handle_, &code)) return std::nullopt;
  return code;
}

void Process::Terminate(UINT exitCode) {
  if (!Running()) return;
  TerminateProcess(handle_, exitCode);
  WaitForSingleObject(handle_, 5000);
}

void Process::Detach() { detached_ = true; }

std::vector<HWND> Process::Windows(bool visibleOnly) const { return TopWindows(pid_, visibleOnly); }

HWND Process::WaitWindow(DWORD timeoutMs, const std::string& caption) const {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND hwnd : TopWindows(pid_, true)) {
          if (caption.empty() || Text(hwnd) == caption) {
            found = hwnd;
            return true;
          }
        }
        return !Running();
      },
      timeoutMs);
  return found;
}

HWND Process::WaitDialog(const std::string& title, DWORD timeoutMs) const {
  return driver::WaitDialog(pid_, title, timeoutMs);
}

// ---- Starting ----

Process Start(const std::string& exe, const StartOptions& options) {
  const std::string commandLine =
      !options.commandLine.empty() ? options.commandLine
                                   : QuoteArg(exe) + (options.args.empty() ? "" : " " + options.args);
  Process process = options.lcAll.empty() && options.stderrPath.empty()
                        ? StartDirect(exe, commandLine, options)
                        : StartThroughLauncher(exe, commandLine, options);
  if (process && options.idleMs > 0) {
    WaitUntil([&] { return WaitForInputIdle(process.handle(), 0) != WAIT_TIMEOUT || !process.Running(); },
              options.idleMs, 10);
  }
  return process;
}

Process Start(const std::string& exe, const std::string& args) {
  StartOptions options;
  options.args = args;
  return Start(exe, options);
}

StartOptions GeneratedLocale(const std::string& locale, const std::string& charmap) {
  // LOCPATH is a list split at colons, so the folder is named by its real path, not through
  // dosdevices/c:.
  std::string locales;
  RunHost("d='" + UnixPath(ScratchFolder()) + "/locales' && mkdir -p \"$d\" && readlink -f \"$d\" | tr -d '\\n'",
          &locales);
  const std::string name = locale + "." + charmap;
  const std::string language = locale.substr(0, locale.find('.'));
  RunHost("test -d '" + locales + "/" + name + "' || localedef -i " + language + " -f " + charmap + " '" + locales +
          "/" + name + "'");
  StartOptions options;
  if (RunHost("test -d '" + locales + "/" + name + "'") != std::optional<int>(0)) return options;
  options.lcAll = name;
  options.env = {{"LOCPATH", locales}};
  return options;
}

std::string CopyToScratch(const std::string& helper, const std::string& name) {
  const std::string path = ScratchFolder() + "\\" + name;
  CopyFileA(BesideMe(helper).c_str(), path.c_str(), FALSE);
  return path;
}

std::vector<DWORD> StartWindowless(const std::string& exe, int count, int alreadyRunning) {
  for (int i = 0; i < count; ++i) {
    StartOptions options;
    options.idleMs = 0;
    Process started = Start(exe, options);
    if (!started) return {};
    // Listed in the snapshot long before its start-up ends: under load Wine's kernelbase of the
    // new process writes the driver's locale into HKCU\Control Panel\International a moment later,
    // and a German program started in between read iCountry 1 from there and spoke English.
    if (!WaitStartedUp(started)) return {};
    started.Detach();
  }
  const std::string name = exe.substr(exe.find_last_of("\\/") + 1);
  std::vector<DWORD> pids;
  const bool listed = WaitUntil([&] {
    pids = ProcessesNamed(name);
    return static_cast<int>(pids.size()) >= count + alreadyRunning;
  });
  return listed ? pids : std::vector<DWORD>{};
}

bool WaitStartedUp(const Process& victim) {
  const std::string ready = "norvanex-victim-" + std::to_string(victim.pid());
  return WaitUntil([&] {
           HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, ready.c_str());
           if (event) CloseHandle(event);
           return event != nullptr || !victim.Running();
         }) &&
         victim.Running();
}

bool PidRunning(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!process) return false;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

std::vector<DWORD> ProcessesNamed(const std::string& name) {
  std::vector<DWORD> pids;
  for (const ProcessEntry& process : AllProcesses()) {
    // Wine gives the bare file name; Windows 9x gave a full path.
    const size_t slash = process.name.rfind('\\');
    if (SameTextNoCase(slash == std::string::npos ? process.name : process.name.substr(slash + 1), name)) {
      pids.push_back(process.pid);
    }
  }
  return pids;
}

std::vector<ProcessEntry> AllProcesses() {
  std::vector<ProcessEntry> all;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return all;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    all.push_back({entry.th32ProcessID, entry.szExeFile});
  }
  CloseHandle(snapshot);
  return all;
}

std::vector<std::string> EndProcessesNotIn(const std::vector<ProcessEntry>& before) {
  // Wine starts these on demand for every program; ending them would only slow the next test down.
  static const char* const kWineServices[] = {"services.exe", "winedevice.exe", "plugplay.exe",
                                              "svchost.exe",  "rpcss.exe",      "explorer.exe",
                                              "conhost.exe",  "winemenubuilder.exe", "wineboot.exe"};
  std::vector<std::string> ended;
  for (const ProcessEntry& entry : AllProcesses()) {
    if (entry.pid == GetCurrentProcessId()) continue;
    bool old = false;
    for (const ProcessEntry& earlier : before) old = old || earlier.pid == entry.pid;
    for (const char* service : kWineServices) old = old || SameTextNoCase(entry.name, service);
    if (old) continue;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.pid);
    if (!process) continue;
    if (TerminateProcess(process, 1)) {
      WaitForSingleObject(process, 5000);
      ended.push_back(entry.name + " (" + std::to_string(entry.pid) + ")");
    }
    CloseHandle(process);
  }
  return ended;
}

// ---- The host ----

std::optional<int> RunHost(const std::string& shellCommand, std::string* output, DWORD timeoutMs) {
  static int counter = 0;
  const std::string base = ScratchFolder() + "\\host-" + std::to_string(++counter);
  const std::string outPath = base + ".out", statusPath = base + ".status";
  DeleteFileA(outPath.c_str());
  DeleteFileA(statusPath.c_str());
  const std::string unixOut = UnixPath(outPath), unixStatus = UnixPath(statusPath);
  // The status file appears by a rename, so it is never read half written.
  const std::string script = "( " + shellCommand + " ) >'" + unixOut + "' 2>&1 </dev/null; echo $? >'" +
                             unixStatus + ".tmp'; mv '" + unixStatus + ".tmp' '" + unixStatus + "'";
  std::string line = "/bin/sh -c " + QuoteArg(script);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return std::nullopt;
  }
  if (info.hThread) CloseHandle(info.hThread);
  if (info.hProcess) CloseHandle(info.hProcess);
  std::string status;
  if (!WaitUntil([&] { return ReadWholeFile(statusPath, status) && !status.empty(); }, timeoutMs, 25)) {
    return std::nullopt;
  }
  if (output) ReadWholeFile(outPath, *output);
  DeleteFileA(outPath.c_str());
  DeleteFileA(statusPath.c_str());
  return std::atoi(status.c_str());
}

// ---- DPI ----

namespace {
constexpr const char* kDesktopKey = "Control Panel\\Desktop";

std::optional<DWORD> ReadLogPixels() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD value = 0, size = sizeof value, type = 0;
  const LONG status =
      RegQueryValueExA(key, "LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
  return value;
}

bool WriteLogPixels(std::optional<DWORD> value) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG status;
  if (value) {
    status = RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value),
                            sizeof(DWORD));
  } else {
    status = RegDeleteValueA(key, "LogPixels");
  }
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}
}  // namespace

int BenchDpi() { return static_cast<int>(ReadLogPixels().value_or(96)); }

bool SetBenchDpi(int dpi) { return WriteLogPixels(static_cast<DWORD>(dpi)); }

DpiScope::DpiScope(int dpi) : previous_(ReadLogPixels()) { SetBenchDpi(dpi); }

DpiScope::~DpiScope() { WriteLogPixels(previous_); }

}  // namespace driver
