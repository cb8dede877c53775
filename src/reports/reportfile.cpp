#include "reports/reportfile.h"

#include <QDir>
#include <QFileInfo>

#include "platform/safepath.h"
#include "platform/textfile.h"
#include "reports/dayline.h"
#include "reports/reportjournal.h"

namespace {

void checkPathPart(const QString& what, const QString& text)
{
    if (text.isEmpty())
        throw ReportPathError(QStringLiteral("The %1 is empty: no report file can be named after it.").arg(what));
    // The part sits between a prefix and ".rep" in one file name, so only a folder
    // separator can take the file out of its folder ("Temp..2" and even ".." are names).
    bool bad = text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('\\'));
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) bad = true;
    if (bad)
        throw ReportPathError(QStringLiteral("The %1 \"%2\" holds \"/\", \"\\\" or a control character: "
                                             "a report file named after it would lie outside its year folder.")
                                  .arg(what, QString(text).replace(QChar(0), QLatin1Char('?'))));
}

// The month and day of a stored day line, or false when the line is not one (a
// damaged line included: it is kept as it stands).
bool dayOf(const QString& line, int& month, int& day)
{
    try {
        const std::optional<DayLine> d = parseDayLine(line);
        if (!d) return false;
        month = d->month;
        day = d->day;
        return true;
    } catch (const ConvertError&) {
        return false;
    }
}

bool isInside(const QString& path, const QString& root)
{
    const QString p = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString r = QDir::cleanPath(QFileInfo(root).absoluteFilePath());
    return p.startsWith(r + QLatin1Char('/'));
}

void makeFolder(const QString& folder)
{
    if (QFileInfo(folder).isDir()) return;
    // Devices read side by side may make the same year folder at the same moment: one
    // made by another is as good.
    if (!QDir().mkdir(folder) && !QFileInfo(folder).isDir())
        throw FileError(QStringLiteral("Cannot create folder \"%1\".").arg(QDir::toNativeSeparators(folder)));
}

}  // namespace

QString reportFolder(const QString& root, int yy)
{
    if (yy < 0) throw ReportPathError(QStringLiteral("The year %1 has no report folder.").arg(yy));
    QString r = root;
    if (!r.isEmpty() && !r.endsWith(QLatin1Char('/'))) r += QLatin1Char('/');
    return r + QString::number(yy) + QLatin1Char('/');
}

QString reportFileName(const QString& id, int channel1to4, const QString& sensorName)
{
    checkPathPart(QStringLiteral("device ID"), id);
    checkPathPart(QStringLiteral("sensor name"), sensorName);
    if (channel1to4 < 1 || channel1to4 > 4)
        throw ReportPathError(QStringLiteral("Channel %1 does not exist: channels are 1 to 4.").arg(channel1to4));
    return id + QString::number(channel1to4) + QLatin1Char('_') + sensorName + QLatin1String(".rep");
}

QString reportFilePath(const QString& root, int yy, const QString& id, int channel1to4, const QString& sensorName)
{
    const QString name = reportFileName(id, channel1to4, sensorName);
    // An existing file whatever the letter case of its name (folders copied from
    // Windows); a new file gets the name as given.
    return caseInsensitivePath(reportFolder(root, yy) + name);
}

bool isCommentLine(const QString& line)
{
    return line.contains(QLatin1String("Comment"));
}

QString formatCommentLine(int month, const QString& text)
{
    return QStringLiteral("Comment,%1,%2").arg(month).arg(text);
}

QString adoptBeforeFirstWrite(AuditJournal& journal, const QString& path, const QStringList& lines)
{
    QString key = journalFileKey(journal.rootDir(), path);
    if (!lines.isEmpty() && !journal.knowsFile(key))
        journal.append(QStringLiteral("report.adopt"),
                       reportAdoptDetails(key, kAdoptAtFirstWrite, digestReportLines(lines)));
    return key;
}

void appendReportLines(const ReportDestination& where, const QString& path, int yy, const QStringList& newLines,
                       const DownloadedChannel& from, AuditJournal& journal)
{
    if (newLines.isEmpty()) return;  // nothing downloaded: the file stays as it is
    const bool chosen = !where.chosenFolder.isEmpty();
    // The folder the files must stay in: the one the user chose for a download of chosen
    // months, otherwise the root folder.
    const QString base = chosen ? where.chosenFolder : where.rootDir;
    if (!base.isEmpty() && !isInside(path, base))
        throw ReportPathError(QStringLiteral("The report file \"%1\" lies outside the %2 folder \"%3\".")
                                  .arg(QDir::toNativeSeparators(path),
                                       chosen ? QStringLiteral("chosen") : QStringLiteral("root"),
                                       QDir::toNativeSeparators(base)));
    if (!chosen) {
        // A year folder, or the file, that is a link out of the root folder, a FIFO or a
        // device is refused before anything is read or written.
        const QString yearFolder = reportFolder(where.rootDir, yy);
        if (!where.rootDir.isEmpty()) requireFolderInside(yearFolder, where.rootDir);
        makeFolder(yearFolder);
    }
    // The file's own folder too (the download names the file by another channel's year).
    makeFolder(QFileInfo(path).absolutePath());
    if (!base.isEmpty()) requireRegularFileInside(path, base);

    TextFile file;
    if (QFileInfo::exists(path)) file = readTextFile(path);
    if (!file.lines.isEmpty() && newLines.size() == 1) return;  // no day line: the stored file stays as it is
    const QString key = adoptBeforeFirstWrite(journal, path, file.lines);

    nlohmann::ordered_json details;
    details["file"] = key.toStdString();
    details["device"] = from.device.toStdString();
    details["channel"] = from.channel;
    details["before"] = reportContentDigest(file.lines).toStdString();
    QStringList& lines = file.lines;
    const bool created = lines.isEmpty();
    details["created"] = created;
    if (created) {
        details["header"] = newLines.first().toStdString();
        lines = newLines;
    } else {
        details["headerSha"] = lineDigest(lines.first()).toStdString();
        // The stored last day is the day on which the previous download ended; it gives
        // way to the fuller copy that this download brings. The header (a file holding
        // nothing else) and a last comment line always stay.
        if (lines.size() > 1) {
            int m = 0, d = 0;
            if (dayOf(lines.last(), m, d)) {
                for (qsizetype i = 1; i < newLines.size(); ++i) {
                    int nm = 0, nd = 0;
                    if (dayOf(newLines[i], nm, nd) && nm == m && nd == d) {
                        const ReportDigest gone = digestReportLines({QString(), lines.takeLast()});
                        const DayDigest& day = gone.days.front();
                        details["replaced"] = {{"month", day.month}, {"day", day.day}, {"sha", day.sha.toStdString()}};
                        break;
                    }
                }
            }
        }
        lines.append(newLines.mid(1));
    }
    // The day lines this write appends, as the journal names them.
    details["days"] = dayDigestsJson(digestReportLines(newLines).days);
    details["after"] = reportContentDigest(lines).toStdString();
    writeTextFile(path, lines, file.encoding, LineEnd::CrLf,
                  [&] { journal.append(QStringLiteral("report.download"), details); });
}

SensorTypeRule sensorTypeRule(const QString& letter)
{
    return findSensorTypeRule(letter).value_or(SensorTypeRule{1, 0, 0, SensorQuantity::Temperature});
}

std::optional<SensorTypeRule> findSensorTypeRule(const QString& letter)
{
    using Q = SensorQuantity;
    if (letter.size() == 1) {
        switch (letter[0].unicode()) {
            case 'P':
                return SensorTypeRule{10, 0, 200, Q::Temperature};
            case 'T':
            case 'D':
            case 't':
            case 'i':
            case 'M':
                return SensorTypeRule{10, 0, 100, Q::Temperature};
            case 'H':
            case 'h':
                return SensorTypeRule{10, 0, 100, Q::Humidity};
            case 'K':
                return SensorTypeRule{1, 0, 100, Q::Temperature};
            case 'V':
                return SensorTypeRule{1, 0, 100, Q::Voltage};
            case 'p':
                return SensorTypeRule{100, 8600, 0, Q::Pressure};
            case 'S':
                return SensorTypeRule{1, 0, 100, Q::PartsPerMillion};
            default:
                break;
        }
    }
    return std::nullopt;
}

double sensorValue(const QString& letter, double r)
{
    const SensorTypeRule rule = sensorTypeRule(letter);
    return (r + rule.offsetBefore) / rule.divisor - rule.offsetAfter;
}
