#include "reports/reportfile.h"

#include <QDir>
#include <QFileInfo>

#include "platform/safepath.h"
#include "platform/textfile.h"

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

// The month and day of a day line, or false when the line is not one.
bool dayOf(const QString& line, int& month, int& day)
{
    if (isCommentLine(line)) return false;
    const QStringList f = line.split(QLatin1Char(','));
    if (f.size() < 3) return false;
    bool ok1 = false, ok2 = false;
    month = f[0].trimmed().toInt(&ok1);
    day = f[1].trimmed().toInt(&ok2);
    return ok1 && ok2;
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
    if (!QDir().mkdir(folder))
        throw FileError(QStringLiteral("Cannot create folder \"%1\".").arg(QDir::toNativeSeparators(folder)));
}

QString g_chosenFolder;  // empty: the root folder's year folders

}  // namespace

ChosenReportFolder::ChosenReportFolder(const QString& folder) : m_previous(g_chosenFolder)
{
    g_chosenFolder = folder;
}

ChosenReportFolder::~ChosenReportFolder()
{
    g_chosenFolder = m_previous;
}

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

void AppendReportFile(Sensor_Rec& channel, const QStringList& newLines)
{
    if (newLines.isEmpty()) return;  // nothing downloaded: the file stays as it is
    const QString path = channel.parent;
    // The folder the files must stay in: the one the user chose for a download of chosen
    // months, otherwise the root folder.
    const QString base = g_chosenFolder.isEmpty() ? Prog.RootDir : g_chosenFolder;
    if (!base.isEmpty() && !isInside(path, base))
        throw ReportPathError(QStringLiteral("The report file \"%1\" lies outside the %2 folder \"%3\".")
                                  .arg(QDir::toNativeSeparators(path),
                                       g_chosenFolder.isEmpty() ? QStringLiteral("root") : QStringLiteral("chosen"),
                                       QDir::toNativeSeparators(base)));
    if (g_chosenFolder.isEmpty()) {
        // A year folder, or the file, that is a link out of the root folder, a FIFO or a
        // device is refused before anything is read or written.
        const QString yearFolder = reportFolder(Prog.RootDir, channel.Last_ref.wYear);
        if (!Prog.RootDir.isEmpty()) requireFolderInside(yearFolder, Prog.RootDir);
        makeFolder(yearFolder);
    }
    // The file's own folder too (the download names the file by another channel's year).
    makeFolder(QFileInfo(path).absolutePath());
    if (!base.isEmpty()) requireRegularFileInside(path, base);

    if (!QFileInfo::exists(path)) {
        writeTextFile(path, newLines, TextEncoding::Ansi);
        return;
    }
    TextFile file = readTextFile(path);
    if (file.lines.isEmpty()) {
        writeTextFile(path, newLines, file.encoding);
        return;
    }
    QStringList& lines = file.lines;
    // The stored last day is the day on which the previous download ended; it gives
    // way to the fuller copy that this download brings. The header (a file holding
    // nothing else) and a last comment line always stay.
    if (lines.size() > 1) {
        int m = 0, d = 0;
        if (dayOf(lines.last(), m, d)) {
            for (qsizetype i = 1; i < newLines.size(); ++i) {
                int nm = 0, nd = 0;
                if (dayOf(newLines[i], nm, nd) && nm == m && nd == d) {
                    lines.removeLast();
                    break;
                }
            }
        }
    }
    for (qsizetype i = 1; i < newLines.size(); ++i) lines.append(newLines[i]);
    writeTextFile(path, lines, file.encoding);
}

SensorTypeRule sensorTypeRule(const QString& letter)
{
    using Q = SensorQuantity;
    if (letter.size() == 1) {
        switch (letter[0].unicode()) {
            case 'P':
                return {10, 0, 200, Q::Temperature};
            case 'T':
            case 'D':
            case 't':
            case 'i':
            case 'M':
                return {10, 0, 100, Q::Temperature};
            case 'H':
            case 'h':
                return {10, 0, 100, Q::Humidity};
            case 'K':
                return {1, 0, 100, Q::Temperature};
            case 'V':
                return {1, 0, 100, Q::Voltage};
            case 'p':
                return {100, 8600, 0, Q::Pressure};
            case 'S':
                return {1, 0, 100, Q::PartsPerMillion};
            default:
                break;
        }
    }
    return {1, 0, 0, Q::Temperature};
}

double sensorValue(const QString& letter, double r)
{
    const SensorTypeRule rule = sensorTypeRule(letter);
    return (r + rule.offsetBefore) / rule.divisor - rule.offsetAfter;
}
