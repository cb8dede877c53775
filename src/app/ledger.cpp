#include "app/ledger.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPair>
#include <QSet>

#include "app/calendar.h"
#include "app/fields.h"
#include "app/programstate.h"
#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/safepath.h"
#include "platform/textfile.h"

namespace {

using ChannelKey = QPair<QString, int>;  // device ID, channel 0..3

// The channel a ledger line names, when its ID and channel fields can be read.
bool lineKey(const QString& line, ChannelKey& key)
{
    const QStringList f = splitDelimited(line, u":,()");
    if (f.size() < 3 || f[0].isEmpty()) return false;
    int sen = -1;
    try {
        sen = strToInt(f[2]);  // read as the reader reads it
    } catch (const ConvertError&) {
        return false;
    }
    if (sen < 0 || sen > 3) return false;
    key = {firstChar(f[0]), sen};
    return true;
}

QString channelLine(const Device_Rec& d, const Sensor_Rec& c, const _SYSTEMTIME& t)
{
    return QStringLiteral("%1,%2,%3,0,%4,%5,%6,%7,%8,")
        .arg(d.ID, d.SenType)
        .arg(c.SenNumber)
        .arg(t.wYear)
        .arg(t.wMonth)
        .arg(t.wDay)
        .arg(t.wHour)
        .arg(t.wMinute);
}

}  // namespace

QString ledgerPath(const QString& rootDir)
{
    // Any letter case of the name reaches the one ledger; when several spellings
    // exist (copied in by hand), the newest is the ledger.
    const QDir dir(rootDir);
    const QFileInfoList found = dir.entryInfoList(QDir::Files, QDir::Time);
    for (const QFileInfo& fi : found)
        if (fi.fileName().compare(QLatin1String("last_refresh.txt"), Qt::CaseInsensitive) == 0)
            return fi.absoluteFilePath();
    return rootDir + QStringLiteral("last_refresh.txt");
}

bool ledgerExists(const QString& rootDir)
{
    return QFileInfo::exists(ledgerPath(rootDir));
}

int FindDeviceByID(const ProgramState& state, const QString& text)
{
    for (int i = 0; i <= state.DevLast && i < kMaxDevices; ++i)
        if (state.DevList[i].ID == text) return i;
    return -1;
}

bool ParseRefreshLine(ProgramState& state, const QString& line, Sensor_Rec& work)
{
    const QStringList f = splitDelimited(line, u":,()");
    if (f.size() < 7) return false;
    if (f.size() < 9)
        throw ConvertError(QCoreApplication::translate("Termivo", "'%1' lacks the hour and minute").arg(line));
    if (f[0].isEmpty()) return false;
    const int sen = strToInt(f[2]);
    if (sen < 0 || sen > 3) return false;
    const int year = strToInt(f[4]);
    const int month = strToInt(f[5]);
    const int day = strToInt(f[6]);
    const int hour = strToInt(f[7]);
    const int minute = strToInt(f[8]);
    if (year < 0 || year > 99 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59)
        throw ConvertError(QCoreApplication::translate("Termivo", "'%1' is not a valid date").arg(line));
    work.ID = firstChar(f[0]);
    work.SenType = firstChar(f[1]);
    work.SenNumber = sen;
    work.Last_ref = _SYSTEMTIME{};
    work.Last_ref.wYear = static_cast<uint16_t>(year);
    work.Last_ref.wMonth = static_cast<uint16_t>(month);
    work.Last_ref.wDay = static_cast<uint16_t>(day);
    work.Last_ref.wHour = static_cast<uint16_t>(hour);
    work.Last_ref.wMinute = static_cast<uint16_t>(minute);
    work.LastRef = true;
    const int i = FindDeviceByID(state, work.ID);
    if (i < 0) return true;
    Sensor_Rec& s = state.DevList[i].Sensor[sen];
    s.ID = work.ID;
    s.SenNumber = sen;
    s.Last_ref = work.Last_ref;
    const QDateTime now = programNow();
    s.Now_ref = Date2Shamsi(now.date(), now, state.Prog.calendar);
    s.LastRef = true;
    return true;
}

QStringList loadLedger(ProgramState& state, QStringList* skipped)
{
    QStringList errors;
    state.unknownLedgerPositions.clear();
    const QString path = ledgerPath(state.Prog.RootDir);
    if (!QFileInfo::exists(path) && !existsAsNonRegularFile(path)) return errors;
    requireRegularFileInside(path, state.Prog.RootDir);
    const TextFile file = readTextFile(path);
    const QString name = QFileInfo(path).fileName();
    Sensor_Rec work;
    for (int i = 1; i < file.lines.size(); ++i) {
        const QString& line = file.lines[i];
        if (line.trimmed().isEmpty()) continue;
        QString why;
        try {
            if (!ParseRefreshLine(state, line, work)) why = QStringLiteral("it names no channel");
        } catch (const ConvertError& e) {
            errors << e.text();
            why = e.text();
            ChannelKey key;
            if (lineKey(line, key)) state.unknownLedgerPositions.insert(key);
        }
        if (!why.isEmpty() && skipped)
            *skipped << QStringLiteral(
                            "%1, line %2: \"%3\" cannot be read (%4); it is kept as it is and its channel "
                            "is not downloaded.")
                            .arg(name)
                            .arg(i + 1)
                            .arg(line, why);
    }
    return errors;
}

bool ledgerPositionUnknown(const ProgramState& state, const QString& id, int sensor)
{
    return state.unknownLedgerPositions.contains(ChannelKey{id, sensor});
}

QStringList ledgerLines(const ProgramState& state, const _SYSTEMTIME* fixedDate)
{
    QStringList lines{kLedgerHeader};
    for (int r = 0; r <= state.DevLast && r < kMaxDevices; ++r) {
        const Device_Rec& d = state.DevList[r];
        for (const Sensor_Rec& c : d.Sensor)
            if (!c.Name.isEmpty()) lines << channelLine(d, c, fixedDate ? *fixedDate : c.Last_ref);
    }
    return lines;
}

QStringList mergedLedgerLines(const ProgramState& state, const QStringList& existing)
{
    QStringList lines{kLedgerHeader};
    QSet<ChannelKey> present;
    auto readInThisRun = [&state](const ChannelKey& k) -> const Sensor_Rec* {
        const int r = FindDeviceByID(state, k.first);
        if (r < 0) return nullptr;
        const Sensor_Rec& c = state.DevList[r].Sensor[k.second];
        return !c.Name.isEmpty() && c.Visit ? &c : nullptr;
    };
    for (qsizetype i = 1; i < existing.size(); ++i) {
        const QString& line = existing[i];
        if (line.trimmed().isEmpty()) continue;
        ChannelKey key;
        if (lineKey(line, key)) {
            if (const Sensor_Rec* c = readInThisRun(key)) {
                // The channel's new position; a second line for it would undo it on reading.
                if (!present.contains(key))
                    lines << channelLine(state.DevList[FindDeviceByID(state, key.first)], *c, c->Last_ref);
                present.insert(key);
                continue;
            }
            present.insert(key);
        }
        lines << line;
    }
    for (int r = 0; r <= state.DevLast && r < kMaxDevices; ++r) {
        const Device_Rec& d = state.DevList[r];
        if (FindDeviceByID(state, d.ID) != r) continue;  // the reader gives every line of this ID to the first device
        for (int s = 0; s < 4; ++s) {
            const Sensor_Rec& c = d.Sensor[s];
            const ChannelKey key{d.ID, s};
            if (c.Name.isEmpty() || present.contains(key)) continue;
            lines << channelLine(d, c, c.Last_ref);
            present.insert(key);
        }
    }
    return lines;
}

const QString kYearChangedText = QStringLiteral("سال عوض شده است لطفا برنامه را بسته و مجددا باز کنید  ");

void SaveLastRefresh(const ProgramState& state)
{
    // Told where the run reports, never in a box: the all-devices run goes on unwatched.
    if (state.YearChanged != 0) state.log().addLine(kYearChangedText);
    const QString path = ledgerPath(state.Prog.RootDir);
    QStringList existing;
    if (QFileInfo::exists(path) || existsAsNonRegularFile(path)) {
        requireRegularFileInside(path, state.Prog.RootDir);
        existing = readTextFile(path).lines;
    }
    const QStringList lines = mergedLedgerLines(state, existing);
    writeTextFile(path, lines);
}

void ResetLastRefresh(const ProgramState& state, int year, int month, int day, AuditJournal& journal)
{
    _SYSTEMTIME t;
    t.wYear = static_cast<uint16_t>(year);
    t.wMonth = static_cast<uint16_t>(month);
    t.wDay = static_cast<uint16_t>(day);
    t.wHour = 1;
    t.wMinute = 1;
    const QString path = ledgerPath(state.Prog.RootDir);
    requireRegularFileInside(path, state.Prog.RootDir);
    const QStringList lines = ledgerLines(state, &t);
    journal.append(QStringLiteral("ledger.period-start"), {{"year", year}, {"month", month}, {"day", day}});
    writeTextFile(path, lines);
}
