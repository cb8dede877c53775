// Fuzz target of the registry and the refresh ledger: any bytes as "DeviceStatus.txt"
// and, after the first NUL byte, as "last_refresh.txt" (decoded as the program decodes
// files), loaded; then every named channel gets a position, as if a run had read it,
// and the ledger is written and loaded again. Every position must read back: the
// ledger round-trips every registry the reader accepts, whatever the old ledger held.
// A position that does not come back is a finding (the target aborts; the replay test
// sees 1); crashes and undefined behaviour are findings too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include "app/calendar.h"
#include "app/ledger.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "platform/dialogs.h"
#include "platform/errors.h"

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

// The position given to channel s of entry r: a valid date that differs by channel.
_SYSTEMTIME positionOf(int r, int s)
{
    _SYSTEMTIME t;
    t.wYear = uint16_t((r * 7 + s) % 100);
    t.wMonth = uint16_t((r + s) % 12 + 1);
    t.wDay = uint16_t((r * 3 + s) % 31 + 1);
    t.wHour = uint16_t((r + 2 * s) % 24);
    t.wMinute = uint16_t((r * 5 + s) % 60);
    return t;
}

}  // namespace

int fuzzRegistryLedger(const uint8_t* data, size_t size)
{
    static SilentDialogs silent;
    static QTemporaryDir dir;
    setDialogs(&silent);
    setProgramNowForTests(QDateTime(QDate(2026, 7, 1), QTime(10, 30)));
    ProgramState state;
    state.reset(dir.path() + QLatin1Char('/'));
    const QString& rootDir = state.Prog.RootDir;

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype nul = bytes.indexOf('\0');
    QFile::remove(rootDir + QStringLiteral("last_refresh.txt"));
    writeBytes(rootDir + QStringLiteral("DeviceStatus.txt"), nul < 0 ? bytes : bytes.left(nul));
    if (nul >= 0) writeBytes(rootDir + QStringLiteral("last_refresh.txt"), bytes.mid(nul + 1));

    int result = 0;
    try {
        loadRegistry(state);
        state.YearChanged = 0;
        for (int r = 0; r <= state.DevLast; ++r)
            for (int s = 0; s < 4; ++s) {
                Sensor_Rec& c = state.DevList[r].Sensor[s];
                c.Last_ref = positionOf(r, s);
                c.Visit = true;
            }
        SaveLastRefresh(state);
        loadRegistry(state);
        for (int r = 0; r <= state.DevLast; ++r) {
            if (FindDeviceByID(state, state.DevList[r].ID) != r)
                continue;  // the ledger's lines of this ID belong to the first
            for (int s = 0; s < 4; ++s) {
                const Sensor_Rec& c = state.DevList[r].Sensor[s];
                if (c.Name.isEmpty()) continue;
                const _SYSTEMTIME want = positionOf(r, s);
                if (c.Last_ref.wYear != want.wYear || c.Last_ref.wMonth != want.wMonth ||
                    c.Last_ref.wDay != want.wDay || c.Last_ref.wHour != want.wHour ||
                    c.Last_ref.wMinute != want.wMinute || ledgerPositionUnknown(state, state.DevList[r].ID, s))
                    result = 1;
            }
        }
    } catch (const TermivoError&) {
    }
    setProgramNowForTests(QDateTime());
    return result;
}

#ifndef TERMIVO_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (fuzzRegistryLedger(data, size) != 0) std::abort();
    return 0;
}
#endif
