// A window for testing the driver itself: it shows what it was started with and logs what it receives.
//
//   probe.exe [--topmost] [--title TEXT]
// Controls (ids): 100 report "country=C dpi=D lcid=XXXX acp=A env=V" (V: %PROBE_VALUE% or "-"),
// 101 button "&Press" (hint "Press me"; each click counts in 102 "clicks=N"), 103 check box
// "Option" (a hint longer than 80 characters), 104 button "Ask" (a Yes/No message box titled
// "Probe question"; the answer shows in 105 "answer=N"), 106 list view (report view, items Alpha,
// Beta, Gamma with images 0, 1, 2), 107 event log (space-separated "dblclk:ITEM", "lvkey:VK",
// "help", "key:VK"), 108 button "Disabled" (disabled), 109 static "Hidden" (no WS_VISIBLE),
// 110 edit, 111 the command line as received, 112 the current folder.
// Closing the window ends the process with exit code 3.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kReport = 100, kPress = 101, kClicks = 102, kOption = 103, kAsk = 104, kAnswer = 105,
              kList = 106, kEvents = 107, kDisabled = 108, kHidden = 109, kEdit = 110,
              kCommandLine = 111, kFolder = 112;
constexpr int kExitOnClose = 3;
constexpr char kLongHint[] =
    "Tick me: this hint is deliberately longer than eighty characters, the limit of TTM_GETTEXTA.";

HWND g_main, g_tips;
int g_clicks;

void AddEvent(const std::string& event) {
  HWND log = GetDlgItem(g_main, kEvents);
  char text[2048];
  GetWindowTextA(log, text, sizeof text);
  std::string all = text;
  if (!all.empty()) all += ' ';
  SetWindowTextA(log, (all + event).c_str());
}

HWND Control(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
  HWND hwnd = CreateWindowExA(0, cls, text, WS_CHILD | style, x, y, w, h, g_main,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return hwnd;
}

void AddHint(HWND control, const char* text) {
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = g_main;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<char*>(text);
  SendMessageA(g_tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string Report() {
  char country[16] = "?";
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_ICOUNTRY, country, sizeof country);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  char value[256] = "-";
  GetEnvironmentVariableA("PROBE_VALUE", value, sizeof value);
  char text[512];
  std::snprintf(text, sizeof text, "country=%s dpi=%d lcid=%04lX acp=%u env=%s", country, dpi,
                static_cast<unsigned long>(GetUserDefaultLCID()), GetACP(), value);
  return text;
}

void FillList(HWND list) {
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR24, 3, 0);
  const COLORREF colors[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 200)};
  HDC screen = GetDC(nullptr);
  for (COLORREF color : colors) {
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(color);
    RECT all{0, 0, 16, 16};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_Add(images, bitmap, nullptr);
    DeleteObject(bitmap);
  }
  ReleaseDC(nullptr, screen);
  ListView_SetImageList(list, images, LVSIL_SMALL);
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = 200;
  column.pszText = const_cast<char*>("Name");
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  const char* names[] = {"Alpha", "Beta", "Gamma"};
  for (int i = 0; i < 3; ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = i;
    item.iImage = i;
    item.pszText = const_cast<char*>(names[i]);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}

void Create(HWND hwnd) {
  g_main = hwnd;
  g_tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
  SendMessageA(g_tips, TTM_SETMAXTIPWIDTH, 0, 300);
  Control("STATIC", Report().c_str(), WS_VISIBLE, 10, 10, 460, 18, kReport);
  AddHint(Control("BUTTON", "&Press", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 10, 36, 90, 25, kPress), "Press me");
  Control("STATIC", "clicks=0", WS_VISIBLE, 110, 40, 100, 18, kClicks);
  AddHint(Control("BUTTON", "Option", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 10, 68, 100, 20, kOption), kLongHint);
  Control("BUTTON", "Ask", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 220, 36, 80, 25, kAsk);
  Control("STATIC", "answer=", WS_VISIBLE, 310, 40, 100, 18, kAnswer);
  HWND list = Control(WC_LISTVIEWA, "", WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 10,
                      96, 290, 150, kList);
  FillList(list);
  Control("STATIC", "", WS_VISIBLE, 10, 252, 460, 18, kEvents);
  Control("BUTTON", "Disabled", WS_VISIBLE | WS_DISABLED | BS_PUSHBUTTON, 310, 96, 90, 25, kDisabled);
  Control("STATIC", "Hidden", 0, 310, 130, 90, 18, kHidden);
  Control("EDIT", "", WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 310, 160, 150, 22, kEdit);
  Control("STATIC", GetCommandLineA(), WS_VISIBLE, 10, 276, 460, 18, kCommandLine);
  char folder[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof folder, folder);
  Control("STATIC", folder, WS_VISIBLE, 10, 300, 460, 18, kFolder);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      Create(hwnd);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kPress && HIWORD(wParam) == BN_CLICKED) {
        SetDlgItemTextA(hwnd, kClicks, ("clicks=" + std::to_string(++g_clicks)).c_str());
      } else if (LOWORD(wParam) == kAsk && HIWORD(wParam) == BN_CLICKED) {
        const int answer = MessageBoxA(hwnd, "Continue?", "Probe question", MB_YESNO);
        SetDlgItemTextA(hwnd, kAnswer, ("answer=" + std::to_string(answer)).c_str());
      }
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == kList && header->code == NM_DBLCLK) {
        AddEvent("dblclk:" + std::to_string(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem));
      } else if (header->idFrom == kList && header->code == LVN_KEYDOWN) {
        AddEvent("lvkey:" + std::to_string(reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey));
      }
      return 0;
    }
    case WM_HELP:
      AddEvent("help");
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(kExitOnClose);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  std::string title = "Probe";
  DWORD exStyle = 0;
  for (int i = 1; i < __argc; ++i) {
    if (std::strcmp(__argv[i], "--topmost") == 0) exStyle |= WS_EX_TOPMOST;
    if (std::strcmp(__argv[i], "--title") == 0 && i + 1 < __argc) title = __argv[++i];
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "NorvanexProbe";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(exStyle, "NorvanexProbe", title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 490, 360,
                              nullptr, nullptr, instance, nullptr);
  ShowWindow(hwnd, show);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
