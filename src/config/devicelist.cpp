#include "config/devicelist.h"

#include <nlohmann/json.hpp>

#include <QFileInfo>

#include "app/auditjournal.h"
#include "app/programstate.h"
#include "app/registry.h"
#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/textfile.h"

namespace devicelist {

namespace {
// The registry reader cuts a device line at these characters.
const QString kDeviceLineSeparators = QStringLiteral("=:,()");
// The request frame "A{command:sum,ID}#" and the reply "$...#" end or open at these.
const QString kFrameCharacters = QStringLiteral("{}#$");

QString cell(const DeviceRow& row, int column)
{
    return column < row.size() ? row[column] : QString();
}

bool hasId(const DeviceRow& row)
{
    return !cell(row, Id).isEmpty();
}
}  // namespace

const QStringList& headers()
{
    static const QStringList h{QStringLiteral("Device Name"), QStringLiteral("Connection"), QStringLiteral("Sensor1"),
                               QStringLiteral("Sensor2"),     QStringLiteral("Sensor3"),    QStringLiteral("Sensor4"),
                               QStringLiteral("ID"),          QStringLiteral("Type"),       QStringLiteral("Media")};
    return h;
}

DeviceRow rowOf(const Device_Rec& d)
{
    return {d.Name,           d.IP, d.Sensor[0].Name, d.Sensor[1].Name, d.Sensor[2].Name,
            d.Sensor[3].Name, d.ID, d.SenType,        d.Connection};
}

QList<DeviceRow> rowsOfRegistry(const ProgramState& state)
{
    QList<DeviceRow> rows;
    for (int i = 0; i <= state.DevLast && i < kMaxDevices; ++i) rows << rowOf(state.DevList[i]);
    return rows;
}

bool isRegistrySeparator(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f || kDeviceLineSeparators.contains(c);
}

QString nextDeviceId(const QString& id, const QString& connection, const QList<DeviceRow>& rows)
{
    if (id.isEmpty()) return id;
    auto usable = [&](char16_t code) {
        const QChar c(code);
        if (c.isSpace() || isRegistrySeparator(c) || kFrameCharacters.contains(c)) return false;
        for (const DeviceRow& r : rows)
            if (cell(r, Connection) == connection && cell(r, Id).left(1).compare(c, Qt::CaseInsensitive) == 0)
                return false;
        return true;
    };
    const char16_t first = id.at(0).unicode();
    // Printable ASCII after the old ID, then round from the start of the range: a
    // device ID travels in every request frame. An ID taken on the connection in
    // another letter case is skipped too: its report files would be the same files.
    for (char16_t c = first + 1; c <= u'~'; ++c)
        if (usable(c)) return QString(QChar(c));
    for (char16_t c = u'!'; c <= first && c <= u'~'; ++c)
        if (usable(c)) return QString(QChar(c));
    return QString(QChar(char16_t(first + 1)));
}

DeviceRow newRow(const QList<DeviceRow>& rows)
{
    DeviceRow row;
    if (!rows.isEmpty() && hasId(rows.last())) {
        row = rows.last();
        while (row.size() < ColumnCount) row << QString();
        row[Sensor1] = QStringLiteral("Sensor1");
        row[Sensor1 + 1] = QStringLiteral("Sensor2");
    } else {
        row = {QStringLiteral("Device"),
               QStringLiteral("Com1"),
               QStringLiteral("Sensor1"),
               QStringLiteral("Sensor2"),
               QString(),
               QString(),
               QStringLiteral("x"),
               QStringLiteral("T"),
               QStringLiteral("Wireless")};
    }
    if (!row[Id].isEmpty() && row[Id] != QLatin1String("x")) row[Id] = nextDeviceId(row[Id], row[Connection], rows);
    return row;
}

int findDuplicateRow(const QList<DeviceRow>& rows)
{
    for (int i = 0; i < rows.size(); ++i) {
        if (!hasId(rows[i])) continue;
        for (int j = i + 1; j < rows.size(); ++j)
            if (cell(rows[j], Id).left(1) == cell(rows[i], Id).left(1) &&
                cell(rows[j], Connection) == cell(rows[i], Connection))
                return j + 1;
    }
    return 0;
}

std::optional<CellProblem> findBadCell(const QList<DeviceRow>& rows)
{
    for (int r = 0; r < rows.size(); ++r) {
        if (!hasId(rows[r])) continue;
        for (int c = 0; c < ColumnCount; ++c)
            for (const QChar ch : cell(rows[r], c))
                if (isRegistrySeparator(ch)) return CellProblem{r + 1, c, ch};
    }
    return std::nullopt;
}

QString badCellMessage(const CellProblem& p)
{
    const QString shown = p.character.unicode() < 0x20 || p.character.unicode() == 0x7f
                              ? QStringLiteral("U+%1").arg(p.character.unicode(), 4, 16, QLatin1Char('0'))
                              : QString(p.character);
    return QStringLiteral(
               "ردیف %1 ستون \"%2\" نویسه \"%3\" دارد که در فایل DeviceStatus.txt جدا کننده است؛ "
               "چیزی ذخیره نشد")
        .arg(p.row)
        .arg(headers().value(p.column), shown);
}

QString deviceLine(const DeviceRow& row)
{
    QString line = QStringLiteral("device  =");
    for (int c = 0; c < ColumnCount; ++c) line += cell(row, c) + QLatin1Char(',');
    return line;
}

QStringList linesAfterSave(const QStringList& fileLines, const QList<DeviceRow>& rows)
{
    QStringList out;
    for (const QString& l : fileLines)
        if (!isDeviceLine(l)) out << l;
    for (const DeviceRow& r : rows)
        if (hasId(r)) out << deviceLine(r);
    return out;
}

namespace {
// The device a line names as the registry reader reads it; nothing for a line that
// is not a readable device line.
std::optional<QPair<QString, QString>> deviceKey(const QString& line)
{
    if (!isDeviceLine(line)) return std::nullopt;
    Device_Rec d;
    int counter = 0;
    if (!ParseDeviceLine(line, counter, d) || d.ID.isEmpty()) return std::nullopt;
    return QPair<QString, QString>(d.ID, d.IP);
}

// The lines of from that are not matched by a line of other, each line of other
// matching one of from.
QStringList unmatched(const QStringList& from, const QStringList& other)
{
    QStringList rest = other;
    QStringList out;
    for (const QString& l : from) {
        const qsizetype at = rest.indexOf(l);
        if (at >= 0)
            rest.removeAt(at);
        else
            out << l;
    }
    return out;
}

nlohmann::ordered_json linesJson(const QStringList& lines)
{
    nlohmann::ordered_json a = nlohmann::ordered_json::array();
    for (const QString& l : lines) a.push_back(l.toStdString());
    return a;
}
}  // namespace

RegistryLineChanges registryLineChanges(const QStringList& before, const QStringList& after)
{
    RegistryLineChanges c;
    const QStringList gone = unmatched(before, after);
    QStringList fresh = unmatched(after, before);
    for (const QString& old : gone) {
        const auto key = deviceKey(old);
        qsizetype match = -1;
        for (qsizetype i = 0; key && i < fresh.size() && match < 0; ++i)
            if (deviceKey(fresh[i]) == key) match = i;
        if (match < 0) {
            c.removed << old;
        } else {
            c.changed.append({old, fresh[match]});
            fresh.removeAt(match);
        }
    }
    c.added = fresh;
    return c;
}

SaveResult saveRegistryRows(const QString& path, const QList<DeviceRow>& rows, AuditJournal& journal)
{
    SaveResult result;
    if (const int dup = findDuplicateRow(rows); dup != 0) {
        result.outcome = SaveOutcome::Duplicate;
        result.duplicateRow = dup;
        return result;
    }
    if (const std::optional<CellProblem> bad = findBadCell(rows)) {
        result.outcome = SaveOutcome::BadCell;
        result.badCell = *bad;
        return result;
    }
    TextFile file;  // a new registry: Windows-1256, CR LF
    if (QFileInfo::exists(path)) file = readTextFile(path);
    const QStringList before = file.lines;
    file.lines = linesAfterSave(file.lines, rows);
    const RegistryLineChanges changes = registryLineChanges(before, file.lines);
    nlohmann::ordered_json changed = nlohmann::ordered_json::array();
    for (const auto& [old, now] : changes.changed)
        changed.push_back({{"old", old.toStdString()}, {"new", now.toStdString()}});
    journal.append(
        QStringLiteral("registry.save"),
        {{"removed", linesJson(changes.removed)}, {"added", linesJson(changes.added)}, {"changed", changed}});
    rewriteTextFile(path, file);
    return result;
}

PeriodStart parsePeriodStart(const QString& year, const QString& month, const QString& day)
{
    PeriodStart p;
    try {
        p.year = strToInt(year);
        p.month = strToInt(month);
        p.day = strToInt(day);
    } catch (const ConvertError&) {
        p.outcome = PeriodStart::Outcome::NotNumbers;
        return p;
    }
    // A negative year has no two-digit form that the ledger could carry.
    if (p.year < 0) {
        p.outcome = PeriodStart::Outcome::NotNumbers;
        return p;
    }
    if (p.month < 1 || p.month > 12 || p.day < 1 || p.day > 31) {
        p.outcome = PeriodStart::Outcome::OutOfRange;
        return p;
    }
    p.year %= 100;
    p.outcome = PeriodStart::Outcome::Ok;
    return p;
}

}  // namespace devicelist
