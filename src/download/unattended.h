// Unattended download without windows, for timers and cron:
//   termivo --download-all [--root DIR] [--verbose]
// reads the registry and the refresh ledger of the root folder (the folder of the
// executable unless --root names another), runs the all-devices download exactly as
// the program's online button does, prints its messages and progress as plain lines,
// and writes the ledger at the end.
#pragma once

#include <QStringList>
#include <QTextStream>

class DeviceLink;
struct ProgramState;

// Exit statuses of the unattended run.
enum DownloadAllStatus {
    kDownloadAllOk = 0,          // every due channel was downloaded
    kDownloadAllFailed = 1,      // a device failed (the others were read), a registry, settings or ledger line was
                                 // skipped, the ledger could not be written, or the audit journal could not be
                                 // written (its start entry: nothing was read)
    kDownloadAllUsage = 2,       // bad command line
    kDownloadAllStopped = 3,     // stopped by SIGINT/SIGTERM: the ledger was not written
    kDownloadAllNoRegistry = 4,  // the registry could not be read or registers no device: nothing written
};

// The mode's "--help" text.
QString downloadAllHelp();
bool isDownloadAllCommand(const QStringList& args);
// args without the program name; out receives the summary line, err the usage errors.
int runDownloadAll(const QStringList& args, QTextStream& out, QTextStream& err);
// The run itself in the root folder state.Prog.RootDir, with state and link as they
// are (a fresh state for the mode): reads the registry and the ledger, downloads,
// writes the ledger and the summary line; SIGINT and SIGTERM set state.stop while it
// runs. verbose prints every frame and reply too. Returns the exit status.
int downloadAllUnattended(ProgramState& state, DeviceLink& link, bool verbose, QTextStream& out, QTextStream& err);
