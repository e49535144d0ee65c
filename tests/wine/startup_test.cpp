// Start-up pieces under Wine, in process and on a real command line: the call-line reader over
// GetCommandLineA and CharNextA, drive icons, the silent abort ending only its handler (and the
// redraw it held back), and what ends a start whose message boxes cannot be made.
#include "driver/Check.h"
#include "driver/Driver.h"
#include "driver/Scenario.h"

#include <shellapi.h>

#include <cstdlib>
#include <functional>
#include <fstream>
#include <stdexcept>

#include "app/KillRunStart_win.h"
#include "base/ListView_win.h"
#include "base/SystemFacts_win.h"
#include "base/Window_win.h"
#include "process/ProcessAccess.h"
#include "ui/Lang.h"
#include "ui/MsgBox_win.h"

using namespace driver;

namespace {
constexpr const char* kParamsOut = "NORVANEX_PARAMS_OUT";
constexpr const char* kSaidOut = "NORVANEX_SAID_OUT";
constexpr const char* kRefusedClass = "NORVANEX_REFUSED_CLASS";

// Every window of one class fails to be made on this thread from here on, as when the system is
// out of window resources: a CBT hook that answers HCBT_CREATEWND with nonzero makes CreateWindowEx
// return null. For children only: the hook stays until the process ends.
std::string refusedClass;
LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam) {
    char name[64] = {};
    if (code == HCBT_CREATEWND && GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name) > 0 &&
        refusedClass == name) {
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
void RefuseWindows(const char* className) {
    refusedClass = className;
    SetWindowsHookExA(WH_CBT, RefuseCreation, nullptr, GetCurrentThreadId());
}

}  // namespace

// Not a test of its own: the child of CallLineOnARealCommandLine, which starts this program again.
// It must stay the first case, so that it ends the child before any other case runs.
CASE(ParamsChild) {
    const char* out = std::getenv(kParamsOut);
    if (out == nullptr) return;
    std::ofstream file(out, std::ios::binary);
    for (int i = 1; i <= 102; ++i) file << norvanex::ParamStr(i) << '\0';
    file.close();
    ExitProcess(0);
}

// Not a test of its own: the child of AQuestionThatCannotBeShownEndsNothing, a kill run's walk as
// WinMain runs it, with the windows of one class refused.
CASE(QuestionChild) {
    const char* refused = std::getenv(kRefusedClass);
    if (refused == nullptr) return;
    norvanex::SetCannotGoOnMessage(norvanex::SayCannotGoOn);
    norvanex::App().exePath = norvanex::ThisSystem().ownPath;
    RefuseWindows(refused);
    norvanex::SystemRunDesktop desktop;
    norvanex::CallLineNames names;
    norvanex::KillRunMachine run(norvanex::Processes(), desktop, std::ref(names));
    if (!norvanex::RunHandler([&] { norvanex::BeginKillRun(run, norvanex::ThisCallLine()); }) || run.CouldNotAsk()) {
        ExitProcess(norvanex::StartFailed(nullptr));
    }
    ExitProcess(static_cast<UINT>(run.ExitCode()));
}

CASE(CallLineOnARealCommandLine) {
    const std::string out = ScratchFolder() + "\\params.bin";
    std::string line = "\"" + BesideMe("startup_test.exe") +
                       "\" ParamsChild a\"b c\"d \"\" \"\"  r:\"C:\\Program Files\\x.exe\" r:C:\\Program Files\\x.exe"
                       " \"~ask~\" \xE4pfel.exe\t\"open end";
    std::vector<std::string> expected = {"ParamsChild", "ab cd", "r:C:\\Program Files\\x.exe", "r:C:\\Program",
                                         "Files\\x.exe", "~ask~", "\xE4pfel.exe", "open end"};
    StartOptions options;
    options.commandLine = line;
    options.env = {{kParamsOut, out}};
    options.idleMs = 0;
    Process child = Start(BesideMe("startup_test.exe"), options);
    REQUIRE_EQ(child.error(), "");
    REQUIRE_EQ(child.WaitExit().value_or(99), 0u);

    std::ifstream in(out, std::ios::binary);
    std::vector<std::string> params;
    std::string param;
    while (std::getline(in, param, '\0')) params.push_back(param);
    REQUIRE_EQ(params.size(), 102u);
    for (size_t i = 0; i < params.size(); ++i) {
        CHECK_EQ(params[i], i < expected.size() ? expected[i] : std::string());
    }

    // 101 parameters: the reader still finds the last one, exactly where it stands.
    std::string many = "\"" + BesideMe("startup_test.exe") + "\" ParamsChild";
    for (int i = 2; i <= 101; ++i) many += " p" + std::to_string(i);
    options.commandLine = many;
    Process second = Start(BesideMe("startup_test.exe"), options);
    REQUIRE_EQ(second.WaitExit().value_or(99), 0u);
    std::ifstream again(out, std::ios::binary);
    params.clear();
    while (std::getline(again, param, '\0')) params.push_back(param);
    REQUIRE_EQ(params.size(), 102u);
    CHECK_EQ(params[99], "p100");
    CHECK_EQ(params[100], "p101");
    CHECK_EQ(params[101], "");
}

CASE(DriveLetterLooksUpTheDriveRoot) {
    SHFILEINFOA info{};
    REQUIRE(SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON) != 0);
    const int root = norvanex::GetFileIconIndex("C:\\");
    CHECK_EQ(root, info.iIcon);
    CHECK_EQ(norvanex::GetFileIconIndex("C"), root);
    CHECK_EQ(norvanex::GetFileIconIndex("C:"), root);
}

namespace {

// A window whose handlers throw: WM_APP the silent abort, WM_APP + 1 anything else, WM_APP + 3 the
// silent abort while the drawing of `held` is held back twice over, as nested list changes hold it.
class Thrower : public norvanex::Window<Thrower> {
public:
    int started = 0, quits = 0;
    HWND held = nullptr;

    bool Create() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "NorvanexThrower";
        RegisterClassA(&wc);
        CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, this);
        return hwnd_ != nullptr;
    }
    ~Thrower() {
        if (hwnd_) DestroyWindow(hwnd_);
    }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_APP:
                ++started;
                throw norvanex::SilentAbort{};
            case WM_APP + 1:
                ++started;
                throw std::runtime_error("a handler failed");
            case WM_APP + 2:
                ++quits;
                PostQuitMessage(7);
                return 42;
            case WM_APP + 3: {
                const norvanex::RedrawLock outer(held);
                const norvanex::RedrawLock inner(held);
                ++started;
                throw norvanex::SilentAbort{};
            }
        }
        return DefaultProc(message, wParam, lParam);
    }
};

}  // namespace

CASE(SilentAbortEndsOnlyTheHandler) {
    Thrower window;
    REQUIRE(window.Create());
    CHECK_EQ(SendMessageA(window.hwnd(), WM_APP, 0, 0), 0);
    CHECK_EQ(window.started, 1);
    CHECK(IsWindow(window.hwnd()));

    // Through the message loop: the throwing message is dropped, the next one is handled.
    PostMessageA(window.hwnd(), WM_APP, 0, 0);
    PostMessageA(window.hwnd(), WM_APP + 2, 0, 0);
    CHECK_EQ(norvanex::RunMessageLoop(nullptr), 7);
    CHECK_EQ(window.started, 2);
    CHECK_EQ(window.quits, 1);
}

// A change that the silent abort ends leaves the window it held drawn again (WM_SETREDRAW FALSE
// takes WS_VISIBLE away until TRUE gives it back), and the next change holds it as the first did.
CASE(SilentAbortLetsTheHeldWindowDrawAgain) {
    Thrower window;
    REQUIRE(window.Create());
    window.held = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window.hwnd(), nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    REQUIRE(window.held != nullptr);
    auto drawn = [&] { return (GetWindowLongA(window.held, GWL_STYLE) & WS_VISIBLE) != 0; };
    CHECK_EQ(SendMessageA(window.hwnd(), WM_APP + 3, 0, 0), 0);
    CHECK_EQ(window.started, 1);
    CHECK(drawn());
    {
        const norvanex::RedrawLock again(window.held);
        CHECK(!drawn());
    }
    CHECK(drawn());
}

// Anything but the silent abort is no state to go on from: the one handler says so and the
// program ends at once with exit code 8. A copy of this program does the failing. Said once, also
// when the saying fails in its turn (its box's buttons refused: the box's layout throws, and its
// handler ends up in CannotGoOn again), instead of calling itself until the stack runs out.
CASE(AnUnexpectedFailureEndsTheProgram) {
    static std::string said;
    if (const char* out = std::getenv(kSaidOut)) {
        said = out;
        static const bool boxToo = std::getenv(kRefusedClass) != nullptr;
        norvanex::SetCannotGoOnMessage([] {
            std::ofstream(said, std::ios::binary | std::ios::app) << "said\n";
            if (boxToo) norvanex::ShowMessage(nullptr, std::string("failed"), norvanex::MessageKind::Error);
        });
        if (boxToo) RefuseWindows(std::getenv(kRefusedClass));
        Thrower window;
        REQUIRE(window.Create());
        SendMessageA(window.hwnd(), WM_APP + 1, 0, 0);
        CHECK(!"the failure was dropped");
        return;
    }
    said = ScratchFolder() + "\\said.txt";
    for (const char* refused : {"", "Button"}) {
        check::Log(std::string("refused: ") + refused);
        DeleteFileA(said.c_str());
        StartOptions options;
        options.args = "AnUnexpectedFailureEndsTheProgram";
        options.env = {{kSaidOut, said}};
        if (*refused) options.env.push_back({kRefusedClass, refused});
        options.idleMs = 0;
        Process child = Start(BesideMe("startup_test.exe"), options);
        REQUIRE_EQ(child.error(), "");
        CHECK_EQ(child.WaitExit().value_or(99), 8u);
        CHECK_EQ(FileBytes(said), "said\n");
    }
}

// A question that cannot be shown is no answer: the run could not start (8), never counts as a No
// (1), and ends nothing. The box's own window refused (ShowMessage cannot make it), or its buttons
// (its layout fails and ends the program through CannotGoOn, whose own box fails alike).
CASE(AQuestionThatCannotBeShownEndsNothing) {
    LeaveNoVictims cleanup;
    REQUIRE_EQ(StartVictims(CopyToScratch("victim.exe", "asked.exe"), 1).size(), 1u);
    for (const char* refused : {"#32770", "Button"}) {
        check::Log(std::string("refused: ") + refused);
        StartOptions options;
        options.commandLine = QuoteArg(BesideMe("startup_test.exe")) + " ~ask~ QuestionChild asked.exe";
        options.env = {{kRefusedClass, refused}};
        options.idleMs = 0;
        Process child = Start(BesideMe("startup_test.exe"), options);
        REQUIRE_EQ(child.error(), "");
        CHECK_EQ(child.WaitExit().value_or(99), 8u);
        CHECK_EQ(ProcessesNamed("asked.exe").size(), 1u);
    }
}

CASE(LocaleGivesANumericCountry) {
    // Wine's locales always carry a country code, so the language choice never aborts here.
    CHECK_EQ(norvanex::SelectText("en", "de"), "en");
    CHECK_EQ(norvanex::GetUserCountryCode(), 1);
}
