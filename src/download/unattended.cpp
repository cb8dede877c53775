#include "download/unattended.h"

#include <csignal>

#include <QFileInfo>

#include "app/calendar.h"
#include "app/commandline.h"
#include "app/ledger.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "download/download.h"
#include "link/devicelink.h"
#include "platform/dialogs.h"
#include "platform/errors.h"

namespace {
extern "C" void stopOnSignal(int)
{
    requestStopFromSignal();
}

// A registry that is missing or registers no device (moved away, emptied by a
// passing glitch) is no reason to start every channel again: nothing is read and
// nothing written.
bool registryGivesDevices(const ProgramState& state)
{
    if (state.DevLast >= 0) return true;
    const QString registry = deviceStatusPath(state.Prog.RootDir);
    state.log().addLine(QStringLiteral("termivo: the registry \"%1\" %2; nothing was downloaded and the ledger "
                                       "was not written.")
                            .arg(registry, QFileInfo::exists(registry) ? QStringLiteral("registers no device")
                                                                       : QStringLiteral("does not exist")));
    return false;
}
}  // namespace

bool isDownloadAllCommand(const QStringList& args)
{
    return args.contains(QStringLiteral("--download-all"));
}

QString downloadAllHelp()
{
    return QStringLiteral(
        "usage: termivo --download-all [--root DIR] [--verbose]\n"
        "Downloads every registered device's records from the refresh ledger's dates up to now,\n"
        "as the main window's online button does, and writes the ledger at the end.\n"
        "  --root DIR     the root folder (default: see \"termivo --help\")\n"
        "  --verbose      print every frame and reply too\n"
        "Exit status: 0 every due channel downloaded, 1 a device failed, a line of the registry,\n"
        "its settings or the ledger was skipped, the ledger could not be written, or the audit\n"
        "journal could not be written (at the start: nothing was read), 2 bad command line,\n"
        "3 stopped by SIGINT or SIGTERM (ledger not written), 4 the registry cannot be read\n"
        "(missing, not a regular file, larger than 64 MB) or registers no device.\n");
}

int runDownloadAll(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const QString mode = QStringLiteral("--download-all");
    bool verbose = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == mode) continue;
        if (a == QLatin1String("--verbose")) {
            verbose = true;
        } else if (a == QLatin1String("--root")) {
            if (i + 1 >= args.size()) return commandUsageError(err, mode, QStringLiteral("--root needs a folder"));
            if (const int status = useRootFolder(args[++i], mode, err)) return status;
        } else {
            return commandUsageError(err, mode, QStringLiteral("unknown option \"%1\"").arg(a));
        }
    }

    ProgramState state;
    state.reset(computeRootDir());
    DeviceLink link(state.stop);
    return downloadAllUnattended(state, link, verbose, out, err);
}

int downloadAllUnattended(ProgramState& state, DeviceLink& link, bool verbose, QTextStream& out, QTextStream& err)
{
    try {
        reportRegistryNotes(loadRegistry(state));
    } catch (const std::exception& e) {
        err << "termivo: " << consoleText(errorText(e)) << "\n";
        err.flush();
        return kDownloadAllNoRegistry;
    }
    link.setSettings(linkSettingsFrom(state.Prog));  // the settings file's waits and tries
    if (!registryGivesDevices(state)) return kDownloadAllNoRegistry;

    // The run is journalled before it reads any device: a journal that cannot be
    // written stops it here, with nothing read and nothing written.
    try {
        journalDownloadStart(state.journal, DownloadRun::All, state.DevLast + 1);
    } catch (const JournalError& e) {
        err << "termivo: " << consoleText(e.text()) << "\n";
        err.flush();
        return kDownloadAllFailed;
    }

    ConsoleLinkObserver console(verbose);
    link.setObserver(&console);
    AllDevicesResult r;
    bool ran = false;
    {
        const SignalStopScope signalStop(state.stop);
        auto oldInt = std::signal(SIGINT, stopOnSignal);
        auto oldTerm = std::signal(SIGTERM, stopOnSignal);
        ran = guarded([&] { r = downloadAllDevices(state, link); });
        std::signal(SIGINT, oldInt);
        std::signal(SIGTERM, oldTerm);
    }
    link.reset();
    link.setObserver(nullptr);

    if (!ran) r.failedDevices = qMax(1, r.failedDevices);
    if (!r.ledgerError.isEmpty()) {
        err << "termivo: " << consoleText(r.ledgerError) << "\n";
        err.flush();
    }
    out << QStringLiteral("download: %1 devices, %2 named sensors, %3 devices failed%4%5%6\n")
               .arg(state.DevLast + 1)
               .arg(r.dueSensors)
               .arg(r.failedDevices)
               .arg(r.skippedLines > 0 ? QStringLiteral(", %1 lines skipped").arg(r.skippedLines) : QString())
               .arg(r.ledgerError.isEmpty() ? QString() : QStringLiteral(", ledger not written"))
               .arg(r.stopped ? QStringLiteral(", stopped before the end (ledger not written)") : QString());
    out.flush();
    int status = kDownloadAllOk;
    if (r.stopped)
        status = kDownloadAllStopped;
    else if (r.failedDevices > 0 || r.skippedLines > 0 || !r.ledgerError.isEmpty())
        status = kDownloadAllFailed;
    try {
        journalDownloadEnd(state.journal, DownloadRun::All, r.devicesRead, r.failedDevices, status);
    } catch (const JournalError& e) {
        // The records are journalled; only the run's end is missing from the journal.
        err << "termivo: " << consoleText(e.text()) << "\n";
        err.flush();
        if (status == kDownloadAllOk) status = kDownloadAllFailed;
    }
    return status;
}
