// The main window in a kill run: the result window, with what became of each named program, the
// program to start, and the timers that end the program and open that one. A run that asks its
// programs to close first shows it at once, counting the wait down.
#pragma once

#include "app/KillRunStart_win.h"
#include "app/MainUnit_win.h"

namespace norvanex {

class KillRunMode : public MainMode {
public:
    static constexpr UINT_PTR kTimer1 = 1;  // 30 s after the result window appears: the program ends
    static constexpr UINT_PTR kTimer4 = 4;  // 1 s after the first "r:" parameter: open the program to start
    static constexpr UINT_PTR kTimerClosing = 5;  // while programs are asked to close: who has gone
    static constexpr UINT kTimer1Interval = 30000;
    static constexpr UINT kTimer4Interval = kStartDelayMs;
    static constexpr UINT kClosingInterval = 100;

    KillRunMode(TMainForm& form, KillWalk& walk) : form_(form), walk_(walk) {}

    const ModeFace& Face() const override;
    void FormCreate() override;
    bool Command(int id, bool usable) override;
    bool Notify(NMHDR& header, LRESULT& result) override;
    bool Timer(UINT_PTR id) override;
    void FormClose() override;
    void ListDblClick() override;
    void TipsMade() override { GiveRowTips(); }

private:
    void ShowKillResult();
    void ShowStartSection(bool visible);
    int StartSectionGap() const;
    int ButtonTop() const;
    void SetProgramToStart(const std::string& path);
    void ShowRows();
    void ShowClosing();
    void TimerClosingTimer();
    void EndNow();
    void KeepRunning();
    void ClosingDone(bool kept);
    void EnableTimer4();
    LRESULT ListView1CustomDraw(NMLVCUSTOMDRAW& draw);
    void GiveRowTips();
    void Timer1Timer();
    void Timer4Timer();
    void BitBtn1Click();
    void Finish();

    static const CommandEntry<KillRunMode> kCommands[];
    static const NotifyEntry<KillRunMode> kNotifications[];

    TMainForm& form_;
    KillWalk& walk_;
    std::string programToStart_;
    bool timer4Enabled_ = false;
    bool startFailed_ = false;
    uint32_t closingEndsAtMs_ = 0;  // when the wait for the programs to close runs out
    int secondsShown_ = -1;         // the countdown as Label1 shows it
    size_t rowTips_ = 0;            // rows that have a tip of their own in the tips' window
    StartGate startGate_;  // the program to start waits for the ended processes to go
};

}  // namespace norvanex
