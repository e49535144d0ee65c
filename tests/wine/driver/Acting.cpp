// Acting on other processes' windows: button clicks, posted and real keys, real mouse input.
#include "driver/Driver.h"

#include <shlobj.h>

namespace driver {
namespace {

bool IsExtendedKey(UINT vk) {
  switch (vk) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_RCONTROL: case VK_RMENU:
    case VK_DIVIDE: case VK_NUMLOCK: case VK_APPS: case VK_LWIN: case VK_RWIN: case VK_SNAPSHOT:
      return true;
    default:
      return false;
  }
}

INPUT KeyInput(UINT vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(vk);
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

LPARAM KeyLParam(UINT vk, bool up) {
  LPARAM bits = 1 | (static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) & 0xFF) << 16);
  if (IsExtendedKey(vk)) bits |= LPARAM(1) << 24;
  if (up) bits |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
  return bits;
}

// Every event carries its point, a press or release too. Under Wine, SetCursorPos and a button
// event without MOUSEEVENTF_MOVE leave the X pointer where it was; the next GetCursorPos of the
// program under test then takes the cursor back there, and a press lands on the window where the
// previous gesture ended.
INPUT MouseInput(DWORD flags, POINT screen) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  // Absolute coordinates run from 0 to 65535 across the virtual screen (the Wine desktop).
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  input.mi.dx = MulDiv(screen.x - left, 65535, width > 1 ? width - 1 : 1);
  input.mi.dy = MulDiv(screen.y - top, 65535, height > 1 ? height - 1 : 1);
  input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  return input;
}

bool PointHits(POINT screen, HWND expect) {
  if (!expect) return true;
  HWND at = WindowFromPoint(screen);
  return at && (at == expect || IsChild(expect, at));
}

// The pointer is moved first, on its own, and the press follows once the pointer is there and the
// window has had the move: a press that the window saw elsewhere (under load, the move may trail
// the button events) and a release at the point would be a drag, which a list view takes instead
// of the click.
bool MouseClicks(POINT screen, HWND expect, int clicks) {
  if (expect) BringToFront(GetAncestor(expect, GA_ROOT));
  if (!PointHits(screen, expect)) return false;
  INPUT move = MouseInput(MOUSEEVENTF_MOVE, screen);
  if (SendInput(1, &move, sizeof move) != 1) return false;
  if (clicks == 0) return true;
  WaitUntil([&] {
    POINT at{};
    return GetCursorPos(&at) && at.x == screen.x && at.y == screen.y;
  }, 2000, 5);
  if (expect) Answers(expect, kTimeout);
  std::vector<INPUT> inputs;
  for (int i = 0; i < clicks; ++i) {
    inputs.push_back(MouseInput(MOUSEEVENTF_LEFTDOWN, screen));
    inputs.push_back(MouseInput(MOUSEEVENTF_LEFTUP, screen));
  }
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

}  // namespace

void Click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

bool Answers(HWND window, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool ClickAndWait(HWND button, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool SetText(HWND hwnd, const std::string& text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                             kTimeout, &result) != 0 &&
         result != 0;
}

bool SetText(HWND hwnd, const std::wstring& text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, kTimeout,
                             &result) != 0 &&
         result != 0;
}

namespace {

// What WM_DROPFILES carries: the DROPFILES header, then the names, each ended by a NUL, and one NUL
// more; ANSI, or UTF-16 (fWide) as the shell drops them.
template <class Char>
std::string DropBlock(POINT client, const std::vector<std::basic_string<Char>>& files) {
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.pt = client;
  header.fWide = sizeof(Char) > 1;
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  for (const std::basic_string<Char>& file : files) {
    block.append(reinterpret_cast<const char*>(file.c_str()), (file.size() + 1) * sizeof(Char));
  }
  return block.append(sizeof(Char), '\0');
}

// WM_DROPFILES to the target's top-level window, the block built inside that window's process.
// Sent, the window has handled the drop when the send returns, and only then is the block released
// here: the receiver's DragFinish cannot free it, it is no global memory block of that process.
// Posted, nobody here knows when the target is done with the block: it stays in that process.
bool DeliverDrop(HWND target, const std::string& block, bool post) {
  HWND top = GetAncestor(target, GA_ROOT);
  RemoteMemory memory(top, block.size());
  if (!memory || !memory.Write(0, block.data(), block.size())) return false;
  const WPARAM drop = reinterpret_cast<WPARAM>(memory.At());
  if (post) {
    memory.Release();
    return PostMessageA(top, WM_DROPFILES, drop, 0) != FALSE;
  }
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(top, WM_DROPFILES, drop, 0, SMTO_ABORTIFHUNG, kTimeout, &result) != 0;
}

}  // namespace

HWND FileNameField(HWND dialog) {
  for (HWND child : Children(dialog)) {
    if (GetDlgCtrlID(child) == 0x47C && ClassOf(child) == "Edit") return child;
  }
  // The dialog of a structure of OPENFILENAME_SIZE_VERSION_400 (the 9x line, NT 4) has the plain
  // edit edt1 there instead of the combo box cmb13.
  for (HWND child : Children(dialog)) {
    if (GetDlgCtrlID(child) == 0x480 && ClassOf(child) == "Edit") return child;
  }
  return nullptr;
}

bool PostDropFiles(HWND target, POINT client, const std::vector<std::string>& files) {
  return DeliverDrop(target, DropBlock(client, files), true);
}

bool PostDropFiles(HWND target, POINT client, const std::vector<std::wstring>& files) {
  return DeliverDrop(target, DropBlock(client, files), true);
}

void CloseBySystemMenu(HWND top) { PostMessageA(top, WM_SYSCOMMAND, SC_CLOSE, 0); }

void PostKey(HWND target, UINT vk) {
  PostMessageA(target, WM_KEYDOWN, vk, KeyLParam(vk, false));
  PostMessageA(target, WM_KEYUP, vk, KeyLParam(vk, true));
}

bool BringToFront(HWND top) {
  if (!top) return false;
  SetForegroundWindow(top);
  return WaitUntil([&] { return GetForegroundWindow() == top; }, 2000);
}

// Brings target's window to the front and gives target the focus; true when it holds it.
static bool FocusFromOutside(HWND target) {
  BringToFront(GetAncestor(target, GA_ROOT));
  const DWORD targetThread = GetWindowThreadProcessId(target, nullptr);
  const DWORD ourThread = GetCurrentThreadId();
  // SetFocus works only on a window of a thread whose input state we share.
  AttachThreadInput(ourThread, targetThread, TRUE);
  SetFocus(target);
  AttachThreadInput(ourThread, targetThread, FALSE);
  // The keys follow once the window's thread has handled its activation and the focus: sent
  // earlier (under load), a modifier may reach the window that had the focus before.
  Answers(target, kTimeout);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  return GetGUIThreadInfo(targetThread, &gui) && gui.hwndFocus == target;
}

bool PressKey(HWND target, UINT vk, std::initializer_list<UINT> modifiers) {
  const bool focused = FocusFromOutside(target);
  SendKey(vk, modifiers);
  return focused;
}

bool TypeText(HWND target, const std::wstring& text) {
  if (!FocusFromOutside(target)) return false;
  for (const wchar_t c : text) {
    INPUT keys[2]{};
    for (int i = 0; i < 2; ++i) {
      keys[i].type = INPUT_KEYBOARD;
      keys[i].ki.wScan = c;
      keys[i].ki.dwFlags = KEYEVENTF_UNICODE | (i == 1 ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, keys, sizeof keys[0]);
  }
  return true;
}

POINT CenterOnScreen(HWND hwnd) {
  const RECT rect = ScreenRect(hwnd);
  return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

bool MouseClick(POINT screen, HWND expect) { return MouseClicks(screen, expect, 1); }

bool MouseDoubleClick(POINT screen, HWND expect) { return MouseClicks(screen, expect, 2); }

bool MouseMove(POINT screen, HWND expect) { return MouseClicks(screen, expect, 0); }

std::optional<std::string> HoverForTip(DWORD pid, HWND expect, POINT away, POINT at, const std::string& expected) {
  MouseMove(away, expect);
  WaitUntil([&] { return !ShownTip(pid).has_value(); }, 3000);
  MouseMove(at, expect);
  int step = 0;
  WaitUntil([&] {
    if (ShownTip(pid).value_or("").rfind(expected, 0) == 0) return true;
    if (++step % 25 == 0) {
      at.x += (step / 25) % 2 ? 1 : -1;
      MouseMove(at, expect);
    }
    return false;
  }, 5000);
  return ShownTip(pid);
}

std::optional<POINT> LvItemOnScreen(HWND lv, int item, int part) {
  const auto rect = LvItemRect(lv, item, part);
  if (!rect) return std::nullopt;
  POINT point{(rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2};
  ClientToScreen(lv, &point);
  return point;
}

bool DoubleClickLvItem(HWND lv, int item) {
  const auto point = LvItemOnScreen(lv, item);
  return point && MouseDoubleClick(*point, lv);
}

bool DoubleClickLvEmpty(HWND lv) {
  RECT client{};
  GetClientRect(lv, &client);
  const LONG inset = 4;
  const POINT candidates[] = {
      {client.right - inset, client.bottom - inset},
      {client.left + inset, client.bottom - inset},
      {client.right - inset, (client.top + client.bottom) / 2},
  };
  for (POINT point : candidates) {
    if (LvHitTest(lv, point) != -1) continue;
    ClientToScreen(lv, &point);
    return MouseDoubleClick(point, lv);
  }
  return false;
}

void PostDoubleClick(HWND hwnd, POINT client) {
  const LPARAM at = MAKELPARAM(client.x, client.y);
  PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(hwnd, WM_LBUTTONUP, 0, at);
  PostMessageA(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(hwnd, WM_LBUTTONUP, 0, at);
}

}  // namespace driver

namespace driver {

void SendKey(UINT vk, std::initializer_list<UINT> modifiers) {
  // One event at a time with a pause: when Wine gets Shift and a letter in one batch, the letter
  // often comes out unshifted.
  auto send = [](INPUT input) {
    SendInput(1, &input, sizeof input);
    Sleep(30);
  };
  for (UINT modifier : modifiers) send(KeyInput(modifier, false));
  send(KeyInput(vk, false));
  send(KeyInput(vk, true));
  for (auto it = modifiers.end(); it != modifiers.begin();) send(KeyInput(*--it, true));
}

bool MouseDrag(POINT from, POINT to, HWND expect, const std::function<void()>& beforeRelease) {
  HWND top = expect ? GetAncestor(expect, GA_ROOT) : nullptr;
  if (top) BringToFront(top);
  if (!PointHits(from, expect)) return false;
  auto send = [](DWORD flags, POINT at) {
    INPUT input = MouseInput(flags, at);
    SendInput(1, &input, sizeof input);
    Sleep(10);  // a hand's pace; the order of the events is what counts
  };
  // The drag has begun when the window that takes it holds the mouse. A source starts it once the
  // pointer leaves the drag rectangle around the press, so the first move stays inside the source,
  // just past that rectangle, and nothing goes on before the drag has begun.
  const DWORD thread = top ? GetWindowThreadProcessId(top, nullptr) : 0;
  auto dragging = [thread, top] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return thread == 0 || (GetGUIThreadInfo(thread, &info) && info.hwndCapture == top);
  };
  const int dx = to.x > from.x ? 1 : to.x < from.x ? -1 : 0, dy = to.y > from.y ? 1 : to.y < from.y ? -1 : 0;
  const POINT past{from.x + dx * 2 * GetSystemMetrics(SM_CXDRAG), from.y + dy * 2 * GetSystemMetrics(SM_CYDRAG)};
  send(0, from);
  send(MOUSEEVENTF_LEFTDOWN, from);
  send(0, past);
  const bool begun = WaitUntil(dragging, 3000);
  constexpr int kSteps = 12;
  for (int i = 1; begun && i <= kSteps; ++i) {
    send(0, POINT{past.x + (to.x - past.x) * i / kSteps, past.y + (to.y - past.y) * i / kSteps});
  }
  if (begun && beforeRelease) beforeRelease();
  send(MOUSEEVENTF_LEFTUP, begun ? to : from);
  return begun;
}

bool DropFiles(HWND target, POINT client, const std::vector<std::string>& files) {
  return DeliverDrop(target, DropBlock(client, files), false);
}

bool DropFiles(HWND target, POINT client, const std::vector<std::wstring>& files) {
  return DeliverDrop(target, DropBlock(client, files), false);
}

namespace {

template <class Text>
bool ConfirmFileDialogWith(HWND dialog, const Text& text) {
  // The file-name box (id 0x47C, cmb13) is an edit inside a combo box in newer layouts, the edit
  // edt1 (0x480) in the older one.
  HWND edit = FileNameField(dialog);
  if (!edit) {
    for (HWND child : Children(dialog)) {
      if (GetDlgCtrlID(child) == 0x47C) edit = child;
    }
  }
  if (!edit || !SetText(edit, text)) return false;
  HWND ok = GetDlgItem(dialog, IDOK);
  if (!ok) return false;
  Click(ok);
  return true;
}

}  // namespace

bool ConfirmFileDialog(HWND dialog, const std::wstring& text) { return ConfirmFileDialogWith(dialog, text); }

bool ConfirmFileDialog(HWND dialog, const std::string& text) { return ConfirmFileDialogWith(dialog, text); }

}  // namespace driver
