#include "app/programstate.h"

#include <cstdio>

#include "app/records.h"
#include "app/rootdir.h"
#include "link/devicelink.h"
#include "platform/sharedfolder.h"

namespace {
// The running mode's stop request, for its SIGINT/SIGTERM handlers; null while no mode runs.
std::atomic<StopRequest*> g_signalStop;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): signal handlers
static_assert(std::atomic<StopRequest*>::is_always_lock_free, "read from signal handlers");

class StandardErrorLog : public MessageLogSink
{
public:
    void addLine(const QString& line) override
    {
        std::fprintf(stderr, "%s\n", line.toUtf8().constData());
        std::fflush(stderr);
    }
};
}  // namespace

MessageLogSink& standardErrorLog()
{
    static StandardErrorLog log;  // holds nothing: every line goes straight out
    return log;
}

void ProgramState::reset(const QString& rootDir)
{
    Prog = program_rec{};
    for (auto& d : DevList) d = Device_Rec{};
    DevLast = -1;
    SelDevice = Device_Rec{};
    YearChanged = 0;
    stop.clear();
    expert.reset();
    skippedLines.clear();
    skippedLinesReported = false;
    unknownLedgerPositions.clear();
    reportFileClashes.clear();
    retry = DownloadRetryPolicy{};
    Prog.RootDir = rootDir;
    journal.reset(rootDir);
    shareNewFilesWithFolderGroup(Prog.RootDir);
}

SignalStopScope::SignalStopScope(StopRequest& stop) noexcept
{
    g_signalStop.store(&stop);
}

SignalStopScope::~SignalStopScope()
{
    g_signalStop.store(nullptr);
}

void requestStopFromSignal() noexcept
{
    if (StopRequest* stop = g_signalStop.load()) stop->request();
}

void resetProgram(ProgramState& state, DeviceLink& link)
{
    state.reset(computeRootDir());
    // The link as made afresh: the settings file's default waits and tries until a
    // registry load applies the file's own (linkSettingsFrom), its ports under the root.
    LinkSettings freshLink;
    freshLink.portsRoot = state.Prog.RootDir;
    link.reset();
    link.setSettings(freshLink);
}
