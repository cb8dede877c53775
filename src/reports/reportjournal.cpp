#include "reports/reportjournal.h"

#include "reports/dayline.h"
#include "reports/reportfile.h"

namespace {

QString text(const nlohmann::ordered_json& j, const char* key)
{
    const auto it = j.find(key);
    return it != j.end() && it->is_string() ? QString::fromStdString(it->get<std::string>()) : QString();
}

int number(const nlohmann::ordered_json& j, const char* key)
{
    const auto it = j.find(key);
    return it != j.end() && it->is_number_integer() ? it->get<int>() : 0;
}

std::vector<DayDigest> daysOf(const nlohmann::ordered_json& details, const char* key)
{
    std::vector<DayDigest> days;
    const auto it = details.find(key);
    if (it == details.end() || !it->is_array()) return days;
    for (const auto& d : *it)
        if (d.is_object()) days.push_back({number(d, "month"), number(d, "day"), text(d, "sha")});
    return days;
}

DayDigest dayDigestOf(const QString& line)
{
    DayDigest d;
    d.sha = lineDigest(line);
    try {
        if (const auto day = parseDayLine(line)) {
            d.month = day->month;
            d.day = day->day;
        }
    } catch (const ConvertError&) {
        // A damaged line: kept under month and day 0.
    }
    return d;
}

}  // namespace

ReportDigest digestReportLines(const QStringList& lines)
{
    ReportDigest digest;
    if (lines.isEmpty()) return digest;
    digest.header = lines.first();
    digest.days.reserve(size_t(lines.size()));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (isCommentLine(lines[i]))
            digest.remarks.append(lineDigest(lines[i]));
        else
            digest.days.push_back(dayDigestOf(lines[i]));
    }
    return digest;
}

QString reportContentDigest(const QStringList& lines)
{
    return QString::fromLatin1(sha256Hex(lines.join(QLatin1Char('\n')).toUtf8()));
}

nlohmann::ordered_json dayDigestsJson(const std::vector<DayDigest>& days)
{
    auto list = nlohmann::ordered_json::array();
    for (const auto& d : days) list.push_back({{"month", d.month}, {"day", d.day}, {"sha", d.sha.toStdString()}});
    return list;
}

nlohmann::ordered_json reportAdoptDetails(const QString& fileKey, const QString& reason, const ReportDigest& digest)
{
    nlohmann::ordered_json details;
    details["file"] = fileKey.toStdString();
    details["reason"] = reason.toStdString();
    details["header"] = digest.header.toStdString();
    details["days"] = dayDigestsJson(digest.days);
    auto remarks = nlohmann::ordered_json::array();
    for (const auto& r : digest.remarks) remarks.push_back(r.toStdString());
    details["remarks"] = remarks;
    return details;
}

nlohmann::ordered_json reportRemarkDetails(const QString& fileKey, int month, const QString& line)
{
    return {{"file", fileKey.toStdString()},
            {"month", month},
            {"line", line.toStdString()},
            {"sha", lineDigest(line).toStdString()}};
}

nlohmann::ordered_json reportHeaderDetails(const QString& fileKey, const QString& oldHeader, const QString& newHeader)
{
    return {{"file", fileKey.toStdString()}, {"old", oldHeader.toStdString()}, {"new", newHeader.toStdString()}};
}

QDateTime entryTime(const nlohmann::ordered_json& entry)
{
    return QDateTime::fromString(text(entry, "time"), Qt::ISODate);
}

std::vector<DayDigest> daysBeforeLastDownload(const JournalledReport& file)
{
    if (!file.lastDownload) return file.days;
    const auto& last = *file.lastDownload;
    if (last.created) return last.daysBefore;
    std::vector<DayDigest> days = file.days;
    days.resize(days.size() - std::min(last.appended, days.size()));
    days.insert(days.end(), last.removedDays.begin(), last.removedDays.end());
    return days;
}

std::map<QString, JournalledReport> replayReportEntries(const JournalScan& scan)
{
    std::map<QString, JournalledReport> files;
    for (const auto& line : scan.lines) {
        if (!line.entry) continue;
        try {
            const auto& entry = *line.entry;
            const QString kind = text(entry, "kind");
            if (!kind.startsWith(QLatin1String("report."))) continue;
            const auto detailsIt = entry.find("details");
            if (detailsIt == entry.end() || !detailsIt->is_object()) continue;
            const auto& details = *detailsIt;
            const QString key = text(details, "file");
            if (key.isEmpty()) continue;
            JournalledReport& file = files[key];
            if (!file.firstLine) file.firstLine = line.number;
            file.lastLine = line.number;
            const QDateTime at = entryTime(entry);
            if (kind == QLatin1String("report.download")) {
                const QString before = text(details, "before");
                // The file as it was before the last download: that write never reached
                // it (its entry went out, the rename did not). It is taken back.
                if (const auto& last = file.lastDownload;
                    last && !before.isEmpty() && before == last->before && before != last->after) {
                    if (last->created && !file.headers.empty()) file.headers.pop_back();
                    file.days = daysBeforeLastDownload(file);
                    file.unfinishedWrites.push_back(last->line);
                }
                // The header the download found: a header rewrite before it that the file
                // never got is taken back, one that it did get is settled.
                if (const QString found = text(details, "headerSha"); !found.isEmpty() && file.pendingHeaderRewrite) {
                    if (file.headers.size() >= 2 && found != lineDigest(file.headers.back().header) &&
                        found == lineDigest(file.headers[file.headers.size() - 2].header)) {
                        file.headers.pop_back();
                        file.unfinishedWrites.push_back(file.pendingHeaderRewrite);
                    }
                    file.pendingHeaderRewrite = 0;
                }
                JournalledReport::LastDownload undo;
                undo.line = line.number;
                undo.before = before;
                undo.after = text(details, "after");
                const auto created = details.find("created");
                undo.created = created != details.end() && created->is_boolean() && created->get<bool>();
                if (undo.created) {
                    undo.daysBefore = file.days;
                    file.headers.push_back({at, text(details, "header"), line.number});
                    file.days.clear();
                    file.remarks.clear();
                }
                file.lastWrite.clear();
                if (details.contains("replaced") && details["replaced"].is_object()) {
                    const auto& r = details["replaced"];
                    const DayDigest replaced{number(r, "month"), number(r, "day"), text(r, "sha")};
                    // The stored last day gave way to the fuller copy: the last of the
                    // expected day lines with that digest.
                    for (auto it = file.days.rbegin(); it != file.days.rend(); ++it)
                        if (*it == replaced) {
                            file.days.erase(std::next(it).base());
                            undo.removedDays.push_back(replaced);
                            break;
                        }
                    file.lastWrite.push_back(replaced);
                }
                for (const auto& d : daysOf(details, "days")) {
                    file.days.push_back(d);
                    file.lastWrite.push_back(d);
                    ++undo.appended;
                }
                file.lastDownload = std::move(undo);
            } else if (kind == QLatin1String("report.remark")) {
                file.lastDownload.reset();
                file.remarks.push_back(text(details, "sha"));
            } else if (kind == QLatin1String("report.header")) {
                file.lastDownload.reset();
                // A rewrite that found the header from before the last rewrite: that one
                // never reached the file.
                const QString old = text(details, "old");
                if (file.pendingHeaderRewrite && file.headers.size() >= 2 && old != file.headers.back().header &&
                    old == file.headers[file.headers.size() - 2].header) {
                    file.headers.pop_back();
                    file.unfinishedWrites.push_back(file.pendingHeaderRewrite);
                }
                file.headers.push_back({at, text(details, "new"), line.number});
                file.pendingHeaderRewrite = line.number;
            } else if (kind == QLatin1String("report.adopt")) {
                file.lastDownload.reset();
                file.pendingHeaderRewrite = 0;
                file.headers.push_back({at, text(details, "header"), line.number});
                file.days = daysOf(details, "days");
                file.remarks.clear();
                if (details.contains("remarks") && details["remarks"].is_array())
                    for (const auto& r : details["remarks"])
                        if (r.is_string()) file.remarks.push_back(QString::fromStdString(r.get<std::string>()));
                file.lastWrite.clear();
            }
        } catch (const nlohmann::json::exception&) {
            // An entry whose details are not of the kinds written: applied no further.
        }
    }
    return files;
}
