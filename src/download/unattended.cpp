#include "download/unattended.h"

#include <csignal>

#include <QFileInfo>

#include "app/calendar.h"
#include "app/ledger.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "download/download.h"
#include "link/devicelink.h"
#include "platform/errors.h"

namespace {
extern "C" void stopOnSignal(int)
{
    StopFlag = 1;
}

// A registry that is missing or registers no device (moved away, emptied by a
// passing glitch) is no reason to start every channel again: nothing is read and
// nothing written.
bool registryGivesDevices()
{
    if (DevLast >= 0) return true;
    messageLog().addLine(QStringLiteral("termivo: the registry \"%1\" %2; nothing was downloaded and the ledger "
                                        "was not written.")
                             .arg(deviceStatusPath(), QFileInfo::exists(deviceStatusPath())
                                                          ? QStringLiteral("registers no device")
                                                          : QStringLiteral("does not exist")));
    return false;
}
}  // namespace

bool isDownloadAllCommand(const QStringList& args)
{
    return args.contains(QStringLiteral("--download-all"));
}

int runDownloadAll(const QStringList& args, QTextStream& out)
{
    bool verbose = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--download-all")) continue;
        if (a == QLatin1String("--verbose")) {
            verbose = true;
        } else if (a == QLatin1String("--root") && i + 1 < args.size()) {
            const QString dir = args[++i];
            if (!QFileInfo(dir).isDir()) {
                out << "termivo: the root folder \"" << dir << "\" does not exist\n";
                return kDownloadAllUsage;
            }
            setRootDirOverride(dir);
        } else {
            out << "termivo: unknown argument \"" << a << "\"\n"
                << "usage: termivo --download-all [--root DIR] [--verbose]\n";
            return kDownloadAllUsage;
        }
    }

    resetStartupState();
    Prog.CntSent = 0;
    Prog.CntRecive = 0;
    try {
        reportRegistryNotes(loadRegistry());
    } catch (const std::exception& e) {
        out << "termivo: " << errorText(e) << "\n";
        return kDownloadAllNoRegistry;
    }
    if (!registryGivesDevices()) return kDownloadAllNoRegistry;

    ConsoleLinkObserver console(verbose);
    deviceLink().setObserver(&console);
    auto oldInt = std::signal(SIGINT, stopOnSignal);
    auto oldTerm = std::signal(SIGTERM, stopOnSignal);

    AllDevicesResult r;
    const bool ran = guarded([&] { r = runAllDevicesDownload(); });

    std::signal(SIGINT, oldInt);
    std::signal(SIGTERM, oldTerm);
    deviceLink().reset();
    deviceLink().setObserver(nullptr);

    if (!ran) r.failedDevices = qMax(1, r.failedDevices);
    out << QStringLiteral("download: %1 devices, %2 named sensors, %3 devices failed%4%5\n")
               .arg(DevLast + 1)
               .arg(r.dueSensors)
               .arg(r.failedDevices)
               .arg(r.skippedLines > 0 ? QStringLiteral(", %1 lines skipped").arg(r.skippedLines) : QString())
               .arg(r.stopped ? QStringLiteral(", stopped before the end (ledger not written)") : QString());
    out.flush();
    if (r.stopped) return kDownloadAllStopped;
    return r.failedDevices > 0 || r.skippedLines > 0 ? kDownloadAllFailed : kDownloadAllOk;
}
