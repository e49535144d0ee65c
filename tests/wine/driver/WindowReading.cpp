// Finding and reading windows of other processes, list views and tooltips included.
#include "driver/Driver.h"

#include <cstring>

namespace driver {
namespace {

constexpr UINT kSendTimeout = 5000;

std::string WithoutAmpersands(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') out += text[++i];
      continue;
    }
    out += text[i];
  }
  return out;
}

struct TopSearch {
  DWORD pid;
  bool visibleOnly;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TopSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if ((search->pid == 0 || pid == search->pid) && (!search->visibleOnly || IsWindowVisible(hwnd))) {
    search->found.push_back(hwnd);
  }
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool* ok = nullptr) {
  DWORD_PTR result = 0;
  const bool sent =
      SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeout, &result) != 0;
  if (ok) *ok = sent;
  return static_cast<LRESULT>(result);
}

std::string WideToAnsi(const WCHAR* text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

}  // namespace

// ---- Finding ----

std::vector<HWND> TopWindows(DWORD pid, bool visibleOnly) {
  TopSearch search{pid, visibleOnly, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindTopWindow(DWORD pid, const std::string& caption, const std::string& className) {
  for (HWND hwnd : TopWindows(pid, true)) {
    if ((caption.empty() || Text(hwnd) == caption) && (className.empty() || ClassOf(hwnd) == className)) {
      return hwnd;
    }
  }
  return nullptr;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND ChildById(HWND parent, int id) {
  if (HWND direct = GetDlgItem(parent, id)) return direct;
  for (HWND child : Children(parent)) {
    if (GetDlgCtrlID(child) == id) return child;
  }
  return nullptr;
}

HWND ChildByText(HWND parent, const std::string& className, const std::string& text) {
  const std::string wanted = WithoutAmpersands(text);
  for (HWND child : Children(parent)) {
    if (!className.empty() && lstrcmpiA(ClassOf(child).c_str(), className.c_str()) != 0) continue;
    if (text.empty() || WithoutAmpersands(Text(child)) == wanted) return child;
  }
  return nullptr;
}

HWND FindDialog(DWORD pid, const std::string& title) {
  HWND anyWithTitle = nullptr;
  for (HWND hwnd : TopWindows(pid, true)) {
    const bool titleMatches = title.empty() || Text(hwnd) == title;
    if (titleMatches && ClassOf(hwnd) == "#32770") return hwnd;
    if (titleMatches && !title.empty() && !anyWithTitle) anyWithTitle = hwnd;
  }
  return anyWithTitle;
}

HWND WaitDialog(DWORD pid, const std::string& title, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindDialog(pid, title)) != nullptr; }, timeoutMs);
  return found;
}

HWND ButtonByCaption(HWND dialog, const std::string& caption) {
  return ChildByText(dialog, "Button", caption);
}

// ---- Reading ----

std::wstring TextW(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTimeout, &length)) return {};
  std::wstring buffer(length + 2, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(&buffer[0]), SMTO_ABORTIFHUNG,
                           kTimeout, &got)) {
    return {};
  }
  buffer.resize(got < buffer.size() ? got : 0);
  return buffer;
}

std::string Text(HWND hwnd) {
  bool ok = false;
  const LRESULT length = Send(hwnd, WM_GETTEXTLENGTH, 0, 0, &ok);
  if (ok && length >= 0) {
    // Wine converts the text for us: WM_GETTEXT is one of the messages it marshals.
    std::string buffer(static_cast<size_t>(length) + 2, '\0');
    const LRESULT got = Send(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(&buffer[0]), &ok);
    if (ok) {
      buffer.resize(static_cast<size_t>(got) < buffer.size() ? static_cast<size_t>(got) : 0);
      return buffer;
    }
  }
  // A hung program: the caption the window manager keeps.
  char caption[1024];
  const int n = GetWindowTextA(hwnd, caption, sizeof caption);
  return std::string(caption, n > 0 ? static_cast<size_t>(n) : 0);
}

std::string ClassOf(HWND hwnd) {
  char name[256];
  const int n = GetClassNameA(hwnd, name, sizeof name);
  return std::string(name, n > 0 ? static_cast<size_t>(n) : 0);
}

DWORD PidOf(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

RECT RectInParent(HWND hwnd) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  HWND parent = (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
  if (parent) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

RECT ScreenRect(HWND hwnd) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  return rect;
}

SIZE ClientSize(HWND hwnd) {
  RECT rect{};
  GetClientRect(hwnd, &rect);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

bool Visible(HWND hwnd) { return IsWindowVisible(hwnd) != FALSE; }
bool Enabled(HWND hwnd) { return IsWindowEnabled(hwnd) != FALSE; }

HWND FocusOf(HWND window) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui)) return nullptr;
  return gui.hwndFocus;
}

std::string Mnemonics(HWND window) {
  std::string letters;
  for (HWND child : Children(window)) {
    // Hidden controls take no keys; a label that shows its ampersands as they stand has no mnemonic.
    if (!Visible(child)) continue;
    if (lstrcmpiA(ClassOf(child).c_str(), "Static") == 0 && (Style(child) & SS_NOPREFIX)) continue;
    const std::string text = Text(child);
    // "&&" is a plain ampersand; the first single one marks the control's letter.
    for (size_t at = text.find('&'); at != std::string::npos && at + 1 < text.size(); at = text.find('&', at + 2)) {
      if (text[at + 1] == '&') continue;
      const char letter = text[at + 1];
      letters += letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
      break;
    }
  }
  return letters;
}
LONG Style(HWND hwnd) { return GetWindowLongA(hwnd, GWL_STYLE); }
LONG ExStyle(HWND hwnd) { return GetWindowLongA(hwnd, GWL_EXSTYLE); }
bool Topmost(HWND hwnd) { return (ExStyle(hwnd) & WS_EX_TOPMOST) != 0; }
int CheckState(HWND button) { return static_cast<int>(Send(button, BM_GETCHECK, 0, 0)); }

// ---- Memory inside another process ----

RemoteMemory::RemoteMemory(HWND windowOfProcess, size_t size) : size_(size) {
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                         PidOf(windowOfProcess));
  if (process_) base_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteMemory::~RemoteMemory() {
  if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
  if (process_) CloseHandle(process_);
}

bool RemoteMemory::Write(size_t offset, const void* data, size_t size) {
  SIZE_T done = 0;
  return base_ && offset + size <= size_ && WriteProcessMemory(process_, At(offset), data, size, &done) &&
         done == size;
}

bool RemoteMemory::Read(size_t offset, void* data, size_t size) const {
  SIZE_T done = 0;
  return base_ && offset + size <= size_ && ReadProcessMemory(process_, At(offset), data, size, &done) &&
         done == size;
}

bool SendDpiChanged(HWND top, int fromDpi, int dpi) {
  const RECT now = ScreenRect(top);
  const RECT suggested{0, 0, MulDiv(now.right - now.left, dpi, fromDpi), MulDiv(now.bottom - now.top, dpi, fromDpi)};
  // lParam points into the program: Wine does not carry this message's rectangle across processes.
  RemoteMemory memory(top, sizeof suggested);
  if (!memory || !memory.Write(0, &suggested, sizeof suggested)) return false;
  DWORD_PTR result = 0;
  constexpr UINT kWmDpiChanged = 0x02E0;  // WM_DPICHANGED, beyond the headers' target version
  return SendMessageTimeoutA(top, kWmDpiChanged, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(memory.At()),
                             SMTO_ABORTIFHUNG, kTimeout, &result) != 0;
}

// ---- Tooltips ----

std::optional<std::string> Hint(HWND control) {
  constexpr size_t kChars = 4096;  // well past INFOTIPSIZE
  const DWORD pid = PidOf(control);
  // The program makes its tips' window half a second after its window appears.
  WaitUntil([&] {
    for (HWND tip : TopWindows(pid, false)) {
      if (lstrcmpiA(ClassOf(tip).c_str(), TOOLTIPS_CLASSA) == 0) return true;
    }
    return false;
  }, 3000);
  for (HWND tip : TopWindows(pid, false)) {
    if (lstrcmpiA(ClassOf(tip).c_str(), TOOLTIPS_CLASSA) != 0) continue;
    RemoteMemory memory(tip, sizeof(TTTOOLINFOW) + kChars * sizeof(WCHAR));
    if (!memory) continue;
    const int count = static_cast<int>(Send(tip, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      TTTOOLINFOW info{};
      info.cbSize = sizeof info;
      info.lpszText = static_cast<WCHAR*>(memory.At(sizeof info));
      const WCHAR nothing = 0;
      if (!memory.Write(0, &info, sizeof info) || !memory.Write(sizeof info, &nothing, sizeof nothing)) {
        continue;
      }
      if (!Send(tip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(memory.At()))) continue;
      if (!memory.Read(0, &info, sizeof info)) continue;
      const bool covers = (info.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(info.uId) == control
                                                       : info.hwnd == control;
      if (!covers) continue;
      // TTM_GETTEXTA stops at 80 bytes in comctl32; the wide message does not.
      info.lpszText = static_cast<WCHAR*>(memory.At(sizeof info));
      if (!memory.Write(0, &info, sizeof info) || !memory.Write(sizeof info, &nothing, sizeof nothing)) {
        return std::nullopt;
      }
      Send(tip, TTM_GETTEXTW, kChars, reinterpret_cast<LPARAM>(memory.At()));
      std::vector<WCHAR> text(kChars + 1, 0);
      if (!memory.Read(sizeof info, text.data(), kChars * sizeof(WCHAR))) return std::nullopt;
      return WideToAnsi(text.data());
    }
  }
  return std::nullopt;
}

std::optional<std::string> ShownTip(DWORD pid) {
  for (HWND tip : TopWindows(pid, true)) {
    if (lstrcmpiA(ClassOf(tip).c_str(), TOOLTIPS_CLASSA) == 0) return Text(tip);
  }
  return std::nullopt;
}

bool HasTipWindow(DWORD pid) {
  for (HWND tip : TopWindows(pid, false)) {
    if (lstrcmpiA(ClassOf(tip).c_str(), TOOLTIPS_CLASSA) == 0) return true;
  }
  return false;
}

// ---- List views ----

int LvCount(HWND lv) { return static_cast<int>(Send(lv, LVM_GETITEMCOUNT, 0, 0)); }

HWND WaitListRows(HWND dialog, DWORD timeoutMs) {
  HWND list = nullptr;
  const bool filled = WaitUntil([&] { return (list = ChildByText(dialog, WC_LISTVIEWA, "")) && LvCount(list) > 0; },
                                timeoutMs);
  return filled ? list : nullptr;
}

int LvColumnCount(HWND lv) {
  HWND header = reinterpret_cast<HWND>(Send(lv, LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::optional<LvItem> LvGet(HWND lv, int item, int subItem) {
  constexpr int kChars = 1024;
  RemoteMemory memory(lv, sizeof(LVITEMA) + kChars);
  if (!memory) return std::nullopt;
  LVITEMA request{};
  request.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
  request.iItem = item;
  request.iSubItem = subItem;
  request.stateMask = static_cast<UINT>(-1);
  request.pszText = static_cast<char*>(memory.At(sizeof request));
  request.cchTextMax = kChars;
  const char nothing = 0;
  if (!memory.Write(0, &request, sizeof request) || !memory.Write(sizeof request, &nothing, 1)) {
    return std::nullopt;
  }
  if (!Send(lv, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(memory.At()))) return std::nullopt;
  LVITEMA answer{};
  std::vector<char> text(kChars + 1, 0);
  if (!memory.Read(0, &answer, sizeof answer) || !memory.Read(sizeof answer, text.data(), kChars)) {
    return std::nullopt;
  }
  LvItem result;
  // The list view may answer with a pointer to its own copy instead of filling our buffer.
  if (answer.pszText && answer.pszText != request.pszText && answer.pszText != LPSTR_TEXTCALLBACKA) {
    HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, PidOf(lv));
    SIZE_T done = 0;
    if (process) {
      ReadProcessMemory(process, answer.pszText, text.data(), kChars, &done);
      CloseHandle(process);
    }
  }
  result.text = text.data();
  result.image = answer.iImage;
  result.state = answer.state;
  return result;
}

std::wstring LvTextW(HWND lv, int item) {
  constexpr int kChars = 1024;
  RemoteMemory memory(lv, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  if (!memory) return {};
  LVITEMW request{};
  request.iSubItem = 0;
  request.pszText = static_cast<wchar_t*>(memory.At(sizeof request));
  request.cchTextMax = kChars;
  const wchar_t nothing = 0;
  if (!memory.Write(0, &request, sizeof request) || !memory.Write(sizeof request, &nothing, sizeof nothing)) return {};
  if (!Send(lv, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(memory.At()))) return {};
  std::vector<wchar_t> text(kChars + 1, 0);
  if (!memory.Read(sizeof request, text.data(), kChars * sizeof(wchar_t))) return {};
  return text.data();
}

std::string LvText(HWND lv, int item, int subItem) {
  const auto got = LvGet(lv, item, subItem);
  return got ? got->text : std::string();
}

std::vector<std::string> LvTexts(HWND lv, int subItem) {
  std::vector<std::string> texts;
  const int count = LvCount(lv);
  for (int i = 0; i < count; ++i) texts.push_back(LvText(lv, i, subItem));
  return texts;
}

std::vector<int> LvSelected(HWND lv) {
  std::vector<int> selected;
  for (int i = -1;;) {
    i = static_cast<int>(Send(lv, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED));
    if (i < 0 || (!selected.empty() && i <= selected.back())) break;
    selected.push_back(i);
  }
  return selected;
}

bool LvChecked(HWND lv, int item) {
  const std::optional<LvItem> got = LvGet(lv, item);
  return got && (got->state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

bool LvSelect(HWND lv, int item) {
  RemoteMemory memory(lv, sizeof(LVITEMA));
  if (!memory) return false;
  LVITEMA change{};
  change.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  change.state = 0;
  if (!memory.Write(0, &change, sizeof change)) return false;
  Send(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(memory.At()));
  if (item < 0) return true;
  change.state = LVIS_SELECTED | LVIS_FOCUSED;
  if (!memory.Write(0, &change, sizeof change)) return false;
  return Send(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(memory.At())) != 0;
}

std::optional<RECT> LvItemRect(HWND lv, int item, int part) {
  RemoteMemory memory(lv, sizeof(RECT));
  RECT rect{};
  rect.left = part;
  if (!memory || !memory.Write(0, &rect, sizeof rect)) return std::nullopt;
  if (!Send(lv, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(memory.At()))) {
    return std::nullopt;
  }
  if (!memory.Read(0, &rect, sizeof rect)) return std::nullopt;
  return rect;
}

int LvHitTest(HWND lv, POINT client) {
  RemoteMemory memory(lv, sizeof(LVHITTESTINFO));
  LVHITTESTINFO info{};
  info.pt = client;
  if (!memory || !memory.Write(0, &info, sizeof info)) return -1;
  Send(lv, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(memory.At()));
  if (!memory.Read(0, &info, sizeof info)) return -1;
  return (info.flags & LVHT_ONITEM) ? info.iItem : -1;
}

}  // namespace driver
