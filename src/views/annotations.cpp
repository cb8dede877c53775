#include "views/annotations.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include <QFileInfo>
#include <QRegularExpression>

#include "app/auditjournal.h"
#include "app/calendar.h"
#include "app/registry.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "reports/reportfile.h"
#include "reports/reportjournal.h"

namespace {

std::optional<QString> settingValueProblem(const QString& text, const QString& what)
{
    for (const QChar c : {QLatin1Char('='), QLatin1Char(','), QLatin1Char('('), QLatin1Char(')')}) {
        if (text.contains(c))
            return QStringLiteral("%1 نمی تواند نویسه «%2» داشته باشد: %3").arg(what, QString(c), text);
    }
    if (text.contains(QLatin1String("device"), Qt::CaseInsensitive))
        return QStringLiteral("%1 نمی تواند کلمه «device» داشته باشد: %2").arg(what, text);
    return std::nullopt;
}

// The heading number of a settings line "CommentN = ...", or -1.
int headingKeyNumber(const QString& line)
{
    static const QRegularExpression key(QStringLiteral("^\\s*comment(\\d+)\\s*(=|$)"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = key.match(line);
    if (!m.hasMatch()) return -1;
    bool ok = false;
    const int n = m.captured(1).toInt(&ok);
    return ok ? n : -1;
}

}  // namespace

std::optional<QString> headingLineProblem(const QString& line)
{
    return settingValueProblem(line, QStringLiteral("سطر سربرگ"));
}

std::optional<QString> picturePathProblem(const QString& path)
{
    return settingValueProblem(path, QStringLiteral("مسیر تصویر"));
}

QStringList withHeadingLines(const QStringList& settingsLines, const QStringList& heading)
{
    QStringList lines = settingsLines;
    const int count = static_cast<int>(heading.size());
    int last = kHeadingBlankedUpTo;
    for (const QString& l : lines) last = std::max(last, headingKeyNumber(l));
    for (int i = 0; i <= std::max(last, count - 1); ++i) {
        const QString value = i < count ? heading[i] : QString();
        const QString line = QStringLiteral("Comment%1 = %2").arg(i).arg(value);
        bool replaced = false;
        for (QString& l : lines) {
            if (headingKeyNumber(l) == i) {
                l = line;
                replaced = true;  // every line of that key: a duplicate would come back too
            }
        }
        if (!replaced && (i < count || i <= kHeadingBlankedUpTo)) lines.append(line);
    }
    return lines;
}

namespace {
nlohmann::ordered_json linesJson(const QStringList& lines)
{
    nlohmann::ordered_json a = nlohmann::ordered_json::array();
    for (const QString& l : lines) a.push_back(l.toStdString());
    return a;
}
}  // namespace

void saveHeadingLines(const QString& rootDir, const QStringList& heading, AuditJournal& journal)
{
    for (const QString& line : heading)
        if (const auto problem = headingLineProblem(line)) throw TermivoError(*problem);
    const QString path = deviceStatusPath(rootDir);
    if (!QFileInfo::exists(path)) return;
    TextFile file = readTextFile(path);
    const QStringList old = settingsOfLines(file.lines).Comment;
    file.lines = withHeadingLines(file.lines, heading);
    const QStringList now = settingsOfLines(file.lines).Comment;
    if (now == old) return;
    journal.append(QStringLiteral("settings.heading"), {{"old", linesJson(old)}, {"new", linesJson(now)}});
    rewriteTextFile(path, file);
}

void savePicturePath(const QString& rootDir, const QString& picture, AuditJournal& journal)
{
    if (const auto problem = picturePathProblem(picture)) throw TermivoError(*problem);
    const QString path = deviceStatusPath(rootDir);
    if (!QFileInfo::exists(path)) return;
    TextFile file = readTextFile(path);
    const QString old = settingsOfLines(file.lines).picFileName;
    file.lines = withSetting(file.lines, QStringLiteral("picfile"), picture);
    const QString now = settingsOfLines(file.lines).picFileName;
    if (now == old) return;
    journal.append(QStringLiteral("settings.background"), {{"old", old.toStdString()}, {"new", now.toStdString()}});
    rewriteTextFile(path, file);
}

QString stampedRemark(const QDateTime& now, ShamsiCalendar calendar, const QString& text)
{
    const _SYSTEMTIME d = clockOf(now, calendar);
    return QStringLiteral("%1/%2/%3 %4:%5:%6")
        .arg(d.wYear)
        .arg(d.wMonth)
        .arg(d.wDay)
        .arg(now.time().hour())
        .arg(now.time().minute())
        .arg(text);
}

void appendRemark(const QString& path, int month, const QString& remark, AuditJournal& journal)
{
    TextFile file = readTextFile(path);
    const QString key = adoptBeforeFirstWrite(journal, path, file.lines);
    const QString line = formatCommentLine(month, remark);
    file.lines.append(line);
    writeTextFile(path, file.lines, file.encoding, LineEnd::CrLf,
                  [&] { journal.append(QStringLiteral("report.remark"), reportRemarkDetails(key, month, line)); });
}
