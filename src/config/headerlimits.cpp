#include "config/headerlimits.h"

#include <QFileInfo>

#include "app/auditjournal.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "reports/reportfile.h"
#include "reports/reportjournal.h"

namespace {
constexpr int kMinHeaderFields = 16;
constexpr int kLowerField = 7;
constexpr int kUpperField = 8;
}  // namespace

std::optional<QString> headerWithLimits(const QString& header, const QString& lower, const QString& upper)
{
    // Start and end of every field, cut where the loader cuts.
    static const QString delimiters = QStringLiteral(",()");
    QList<std::pair<qsizetype, qsizetype>> fields;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= header.size(); ++i) {
        if (i == header.size() || delimiters.contains(header[i])) {
            fields.append({start, i});
            start = i + 1;
        }
    }
    if (fields.size() < kMinHeaderFields) return std::nullopt;
    const auto [loStart, loEnd] = fields[kLowerField];
    const auto [hiStart, hiEnd] = fields[kUpperField];
    return header.left(loStart) + lower + header.mid(loEnd, hiStart - loEnd) + upper + header.mid(hiEnd);
}

QString EditHeader1(const QString& Line1, const QString& Min1, const QString& Max1, const _SYSTEMTIME& /*t2*/)
{
    const std::optional<QString> line = headerWithLimits(Line1, Min1, Max1);
    if (!line) throw ListIndexError(QStringLiteral("List index out of bounds (%1)").arg(kUpperField));
    return *line;
}

CarryOverResult carryLimitsIntoReports(const QString& root, int yy, const QString& deviceId,
                                       const QList<ChannelLimits>& channels, AuditJournal& journal)
{
    CarryOverResult result;
    for (const ChannelLimits& ch : channels) {
        QString path;
        try {
            path = reportFilePath(root, yy, deviceId, ch.channel + 1, ch.sensorName);
        } catch (const ReportPathError&) {
            continue;  // no download writes such a file
        }
        if (!QFileInfo(path).isFile()) continue;
        try {
            TextFile file = readTextFile(path);
            if (file.lines.isEmpty()) {
                result.shortHeaders << path;
                continue;
            }
            const std::optional<QString> header = headerWithLimits(file.lines[0], ch.lower, ch.upper);
            if (!header) {
                result.shortHeaders << path;
                continue;
            }
            const QString key = adoptBeforeFirstWrite(journal, path, file.lines);
            const QString old = file.lines[0];
            file.lines[0] = *header;
            writeTextFile(path, file.lines, file.encoding, LineEnd::CrLf, [&] {
                journal.append(QStringLiteral("report.header"), reportHeaderDetails(key, old, *header));
            });
            result.rewritten << path;
        } catch (const FileError& e) {
            result.notWritten << path;
            result.errors << e.text();
        }
    }
    return result;
}

QString shortHeaderMessage(const QString& path)
{
    return QStringLiteral("سرآیند این فایل گزارش خوانده نشد و حدود آن تغییر نکرد: ") + path;
}

QStringList carryOverMessages(const CarryOverResult& result)
{
    QStringList messages = result.errors;
    for (const QString& path : result.shortHeaders) messages << shortHeaderMessage(path);
    return messages;
}
