// The one reset of the program's shared state, as a fresh process has it: every
// shared record (the program's settings, the device list, the chosen device, the
// chart's record with its 3-hour averaging period, the stop flag, the year-change
// mark and the sensor stepping position), the root folder, what the last registry
// and ledger load noted, the expert access, and the device link (ports and
// connections closed, timers stopped, its waits and search address as at start).
// The start-up of the main window, every command-line mode and the tests begin with
// it. Injected services (the dialogs, the shell, the clock, the root folder's
// override) are not state and stay as they are.
#pragma once

void resetProgramState();
