// TMainForm: the main window of both modes, the kill run's result window and the shortcut editor.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <commdlg.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CallLine.h"
#include "app/Editor.h"
#include "app/KillRun.h"
#include "app/MainLayout.h"
#include "base/AppInfo_win.h"
#include "base/Window_win.h"

namespace norvanex {

class TInfos;

// Parameter `index` of this process's call line (0: the executable's own path).
std::string ParamStr(int index);

// A kill run's walk: the confirmation and the endings, made before any window exists, so that the
// user waits for the processes to go and not for the result window to be built.
KillWalk RunKillWalk();

class TMainForm : public Window<TMainForm> {
public:
    static constexpr const char* kClassName = "TMainForm";

    // In a kill run, `walk` is its finished walk (it must outlive the window); null for the editor.
    // `shell`, when given, starts the shell for the result window's icons (BindImageLists waits for it).
    TMainForm(const KillWalk* walk, ShellWarmUp* shell = nullptr);
    ~TMainForm();

    // Registers the class and creates the window; FormCreate runs inside, the kill run with it.
    bool Create(HINSTANCE instance);

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The editor's keys (Ins, Del), for the message loop; null in a kill run.
    HACCEL Accelerators() const { return accelerators_.get(); }
    HWND Tooltip() const { return tooltip_; }

    // The editor's state, as a shortcut is written from it and read back into it.
    // Adds one program to end: refused with a message when it is this program or a folder,
    // ignored when listed. `whole`: written into the call as it stands (loaded from a shortcut).
    void AddProgramToList(const std::string& path, bool whole = false);
    // Makes `path` the program to start: its icon, its file-name part, Remove enabled.
    void ChooseProgramToStart(const std::string& path);
    // The captions of the programs to end, in list order.
    std::vector<std::string> ProgramsToEnd() const;
    // The program to start; empty when none is chosen.
    const std::string& ProgramToStart() const { return editor_.ProgramToStart(); }
    bool AskFirst() const;

private:
    friend class Window<TMainForm>;

    void CreateControls();
    void FormCreate();
    void SetUpEditor();
    void ShowKillResult();
    void BindImageLists();
    void ShowStartSection(bool visible);
    void SetProgramToStart(const std::string& path);
    void AddResult(const std::string& caption, bool ended);
    LRESULT ListView1CustomDraw(NMLVCUSTOMDRAW& draw);
    void HintText(NMHDR& header);
    void PlaceHintArea(MainControl id);

    void FormActivate(bool active);
    void NextDlgCtl(WPARAM target, bool direct);
    HWND FirstTabStop() const;

    void Timer1Timer();
    void Timer2Timer();
    void Timer4Timer();
    void EnableTimer4();
    void BitBtn1Click();
    void BitBtn4Click();
    void BitBtn9Click();
    void HelpExecute();
    void ListView1DblClick();

    // The editor (Editor_win.cpp).
    enum class OpenPurpose { AddToEnd, ChooseToStart };
    void SetUpEditorBehaviour();
    void BitBtn2Click();
    HMENU PopupMenu2();
    void SelectFileClick();
    void SelectTaskClick();
    void BitBtn5Click();
    void ShowOpenDialog(OpenPurpose purpose, DWORD options, const TextPair& title);
    template <class Request, class Text, class Buffer>
    void RunOpenDialog(const Text& filter, const Text& caption, DWORD options, Buffer& buffer);
    template <class Request>
    static UINT_PTR CALLBACK OpenDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    template <class Request>
    void GrowOpenBuffer(HWND dialog, Request& request);
    // The file dialogs' name box: what it holds is checked when OK is pressed, before the dialog
    // takes it (Editor_win.cpp). The dialog's kind: its character set, and whether ".lnk" is added.
    enum class NameBox { Wide, Ansi, AnsiAddsLinkEnding };
    static void GuardNameBox(HWND frame, TMainForm* self, NameBox kind);
    static LRESULT CALLBACK FileDialogFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);
    bool TypedNamesFit(HWND frame, NameBox kind);
    static std::u16string OpenDialogText(const wchar_t* buffer, DWORD size);
    static std::u16string OpenDialogText(const char* buffer, DWORD size);
    void OpenDialog1CanClose(std::u16string_view buffer);
    bool TakeExactName(const std::u16string& file, std::string& ansi);
    std::vector<std::u16string> DroppedFiles(HDROP drop) const;
    void ListView1Click();
    void BitBtn3Click();
    void EntfExecute();
    void BitBtn6Click();
    void ListView1BeginDrag();
    void DragMove(POINT client);
    void DragEnd(POINT client, bool drop);
    bool CancelDrag();
    void ProgImgDragOver(HWND source, bool& accept);
    void ProgImgDragDrop(HWND source);
    void FormDropFiles(HDROP drop);
    bool OverProgImg(POINT client) const;
    void BeginListUpdate();
    void EndListUpdate();
    void ShowEditorState();
    void ShowProgramToStart();
    void EnableKeepingFocus(MainControl id, bool enabled, MainControl focusInstead);
    void SetHintText(MainControl id, const std::string& hint);
    HWND MessageOwner() const;

    // Create and the shortcut file (EditorCreate_win.cpp).
    void CreateFromEditor();
    CallRequest EditorRequest() const;
    void ShowSaveDialog1();
    static UINT_PTR CALLBACK SaveDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    bool SaveDialog1CanClose(HWND dialog, const std::string& fileName);
    bool DropShortcut(HDROP drop);
    void LoadShortcut(const std::string& fileName);

    HWND Control(MainControl id) const { return GetDlgItem(hwnd_, id); }
    int Scale(int designValue) const;
    RECT ScaledRect(int left, int top, int width, int height) const;
    void SetText(MainControl id, const TextPair& text);
    void SetHint(MainControl id, const TextPair& text);
    void MakeTooltip();
    void GiveTips(MainControl id);
    void SetGlyph(MainControl id, int bitmapId);
    void Place(MainControl id, int left, int top, int width, int height);
    void ShowControl(MainControl id, bool visible);
    void FitLabel(MainControl id);
    void AutoSize();
    void DrawProgImg(const DRAWITEMSTRUCT& item);
    void PaintBevels(HDC dc);
    struct Bevel {
        RECT rect;   // in the client area
        bool shown;
    };
    Bevel* BevelOf(MainControl id);  // null for a control that is a window
    const Bevel* BevelOf(MainControl id) const;
    void RepaintBevel(const Bevel& bevel);
    bool IsKillRun() const { return walk_ != nullptr; }

    int dpi_ = 96;
    const KillWalk* walk_ = nullptr;
    ShellWarmUp* shell_ = nullptr;
    GdiObject<HFONT> font_;
    HWND tooltip_ = nullptr;           // made half a second after showing (MakeTooltip)
    std::string hints_[kBevel4 + 1];   // each control's hint as set, also for the tip over a disabled one
    bool hintAreas_[kBevel4 + 1] = {}; // whose hint shows while it is disabled, too
    std::wstring wideHint_;            // the text handed to a tooltip that asks in UTF-16
    std::string ansiHint_;             // the same for a tooltip that asks in ANSI
    bool imageListsBound_ = false;     // asked for with the first icon, or half a second after start
    HIMAGELIST smallIcons_ = nullptr;  // the shell's; never destroyed
    HIMAGELIST largeIcons_ = nullptr;  // the shell's; never destroyed
    ImageList glyphs_[kBevel4 + 1];
    Bevel bevels_[kBevel4 - kBevel1 + 1] = {};
    int progImgIndex_ = -1;            // icon of the program to start in largeIcons_, -1: empty
    std::string programToStart_;
    bool timer4Enabled_ = false;
    StartGate startGate_;              // the program to start waits for the ended processes to go
    std::string versionText_;
    std::unique_ptr<TInfos> infos_;    // the about box, built when BitBtn9 first opens it
    HWND focused_ = nullptr;           // the control that had the focus when the window was left


    struct MenuDeleter {
        void operator()(HMENU menu) const { DestroyMenu(menu); }
    };
    struct AcceleratorDeleter {
        void operator()(HACCEL table) const { DestroyAcceleratorTable(table); }
    };
    EditorLists editor_;
    Owned<HMENU, MenuDeleter> popupMenu2_;  // made at its first opening (PopupMenu2)
    GdiObject<HBITMAP> menuImages_[2];
    Owned<HACCEL, AcceleratorDeleter> accelerators_;
    OpenPurpose openPurpose_ = OpenPurpose::AddToEnd;
    std::vector<wchar_t> openBuffer_;
    std::vector<char> openBufferAnsi_;  // the open dialog's on the 9x line
    HWND dragSource_ = nullptr;  // the list view an entry is dragged from, while the button is held
    int listUpdates_ = 0;        // nested batch updates of ListView1; redrawn when the last one ends
    std::string pendingCallLine_;  // composed by the last accepted Create, written by the save dialog
    std::vector<char> saveBuffer_;
};

}  // namespace norvanex
