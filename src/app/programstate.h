// The program's state: the settings, the device registry, the chosen device, the
// year-change mark, the stop request, the expert access, what the last registry and
// ledger load noted, the download's retry policy and where warnings go. One value of
// it is made where the program starts (the windows' composition, or a mode without
// windows) and passed to whatever works with it.
#pragma once

#include <atomic>

#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

#include "app/auditjournal.h"
#include "app/messagelog.h"
#include "app/records.h"
#include "config/expertaccess.h"
#include "download/retrypolicy.h"

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

    // What the last registry load noted: the messages of every skipped registry or
    // ledger line and held-back channel, and whether a download run has reported them.
    QStringList skippedLines;
    bool skippedLinesReported = false;
    // Channels (device ID, channel 0..3) whose ledger line the last load could not read.
    QSet<QPair<QString, int>> unknownLedgerPositions;
    // Channels (registry entry, channel 0..3) held back because another writes their file.
    QSet<QPair<int, int>> reportFileClashes;

    DownloadRetryPolicy retry;  // how hard the downloads try
    // The root folder's audit journal: every change to a record or a device is appended
    // to it before the change is reported done.
    AuditJournal journal;
    // Where the download's warnings go (not owned); none: standard error.
    MessageLogSink* messageLog = nullptr;
    MessageLogSink& log() const { return messageLog ? *messageLog : standardErrorLog(); }

    ProgramState() = default;
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    // Back to the state of a fresh process working in the root folder rootDir (which
    // ends in "/"): every member, the stop request and the expert access included,
    // but the message log installed, which is a service and not state.
    // A folder shared by a group gets files the group can write from here on.
    void reset(const QString& rootDir);
};

// The stop request that SIGINT and SIGTERM set while a mode without windows runs: a
// signal handler reaches nothing else. The scope points the handlers at stop and
// back at nothing when it ends.
class SignalStopScope
{
public:
    explicit SignalStopScope(StopRequest& stop) noexcept;
    ~SignalStopScope();
    SignalStopScope(const SignalStopScope&) = delete;
    SignalStopScope& operator=(const SignalStopScope&) = delete;
};
// For a signal handler: sets the stop request of the running mode, if any.
void requestStopFromSignal() noexcept;

class DeviceLink;

// The one reset of the windowed program's state and link, as a fresh process has them:
// state reset in the root folder in force, and the link's ports and connections closed,
// its waits as at start. Injected services (the dialogs, the shell, the clock, the
// root folder's override) are not state and stay as they are.
void resetProgram(ProgramState& state, DeviceLink& link);
