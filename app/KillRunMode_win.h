// The main window in a kill run: the result window, a view of the run's state machine. It hands
// each tick, button, key, close and double-click to the run and shows what the run says: the
// rows, the wait counted down, the program to start, and when the program ends.
#pragma once

#include "app/KillRunStart_win.h"
#include "app/MainUnit_win.h"

namespace norvanex {

class KillRunMode : public MainMode {
public:
    static constexpr UINT_PTR kTimerRun = 1;  // the run's next deadline

    KillRunMode(TMainForm& form, KillRunMachine& run, SystemRunDesktop& desktop)
        : form_(form), run_(run), desktop_(desktop) {}

    const ModeFace& Face() const override;
    void FormCreate() override;
    bool Command(const CommandMessage& command) override;
    bool Notify(NMHDR& header, LRESULT& result) override;
    bool Timer(UINT_PTR id) override;
    void FormClose() override { Forward(RunEvent::CloseBox); }
    bool ListDblClick(int row) override;
    void KeyPressed() override { Forward(RunEvent::Hold); }
    bool MayTakeForeground() const override { return run_.phase() != KillRunMachine::Phase::Closing; }
    void TipsMade() override { GiveRowTips(); }
    void Rescaled() override;

private:
    bool Forward(RunEvent event, int row = -1);
    void Show(const RunEffects& effects);
    void ShowWaitOver();
    void ShowCountdown();
    void ShowStartFailed();
    void ShowStartSection(bool visible);
    void PlaceButtons();
    int StartSectionGap() const;
    int ButtonTop() const;
    void SetProgramToStart(const std::string& path);
    void ShowRows();
    void MakeTopmost();
    LRESULT ListView1CustomDraw(NMLVCUSTOMDRAW& draw);
    void GiveRowTips();
    std::string RowTipText(size_t row) const;
    void ShowFocusTip();
    void BitBtn1Click();
    void BitBtn4Click();

    static const CommandEntry<KillRunMode> kCommands[];
    static const NotifyEntry<KillRunMode> kNotifications[];

    TMainForm& form_;
    KillRunMachine& run_;
    SystemRunDesktop& desktop_;  // the run's: it has followed the program to start's shortcuts
    size_t rowTips_ = 0;  // rows that have a tip of their own in the tips' window
    HWND focusTip_ = nullptr;  // the focused row's tip (MakeTrackingTip), made when the list first has the focus
};

}  // namespace norvanex
