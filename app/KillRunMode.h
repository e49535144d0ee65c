// The main window in a kill run: the result window, with what was ended, the program to start, and
// the timers that end the program and open that one.
#pragma once

#include "app/MainUnit.h"

namespace norvanex {

// Opens the program to start as the shell opens a file; a failure is reported to the user in a
// message owned by `owner` (none: on its own). An empty path opens nothing.
bool OpenProgramToStart(HWND owner, const std::string& path);

// Whether the program to start may open now: what the run ended has gone, by one fresh snapshot,
// or the gate has waited long enough.
bool MayOpenNow(StartGate& gate);

class KillRunMode : public MainMode {
public:
    static constexpr UINT_PTR kTimer1 = 1;  // 30 s after the result window appears: the program ends
    static constexpr UINT_PTR kTimer4 = 4;  // 1 s after the first "r:" parameter: open the program to start
    static constexpr UINT kTimer1Interval = 30000;
    static constexpr UINT kTimer4Interval = 1000;

    KillRunMode(TMainForm& form, const KillWalk& walk) : form_(form), walk_(walk) {}

    const ModeFace& Face() const override;
    void FormCreate() override;
    bool Command(int id, bool usable) override;
    bool Notify(NMHDR& header, LRESULT& result) override;
    bool Timer(UINT_PTR id) override;

private:
    void ShowKillResult();
    void ShowStartSection(bool visible);
    void SetProgramToStart(const std::string& path);
    void AddResult(const std::string& caption, bool ended);
    void EnableTimer4();
    LRESULT ListView1CustomDraw(NMLVCUSTOMDRAW& draw);
    void Timer1Timer();
    void Timer4Timer();
    void BitBtn1Click();

    static const CommandEntry<KillRunMode> kCommands[];
    static const NotifyEntry<KillRunMode> kNotifications[];

    TMainForm& form_;
    const KillWalk& walk_;
    std::string programToStart_;
    bool timer4Enabled_ = false;
    StartGate startGate_;  // the program to start waits for the ended processes to go
};

}  // namespace norvanex
