// The program's state: the settings, the device registry, the chosen device, the
// year-change mark, the stop request and the expert access. One value of it is made
// where the program starts (the windows' composition, or a mode without windows) and
// passed to whatever works with it.
#pragma once

#include <atomic>

#include "app/records.h"
#include "config/expertaccess.h"

// The stop request of long work: set by Cancel, by closing the online or main window,
// and by SIGINT/SIGTERM in the modes without windows, so it is written from signal
// handlers too, which a lock-free atomic allows.
class StopRequest
{
public:
    void request() noexcept { m_flag.store(true, std::memory_order_relaxed); }
    void clear() noexcept { m_flag.store(false, std::memory_order_relaxed); }
    bool requested() const noexcept { return m_flag.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> m_flag{false};
    static_assert(std::atomic<bool>::is_always_lock_free, "the stop request is written from signal handlers");
};

struct ProgramState
{
    program_rec Prog;                 // the settings
    Device_Rec DevList[kMaxDevices];  // the registry, entries 0..DevLast
    int DevLast = -1;
    Device_Rec SelDevice;  // the device chosen for the communication windows
    int YearChanged = 0;   // a download met a new year
    StopRequest stop;
    ExpertAccess expert;

    ProgramState() = default;
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;
};

// The program's state while it is still reached from everywhere.
ProgramState& programState();

// The one reset of the program's shared state, as a fresh process has it: every
// shared record (the program's settings, the device list, the chosen device, the
// stop request and the year-change mark), the root folder, what the last registry
// and ledger load noted, the expert access, and the device link (ports and
// connections closed, timers stopped, its waits and search address as at start).
// The start-up of the main window, every command-line mode and the tests begin with
// it. Injected services (the dialogs, the shell, the clock, the root folder's
// override) are not state and stay as they are.
void resetProgramState();
