#include "reports/limitshistory.h"

#include <exception>

#include <QTime>

#include "app/auditjournal.h"
#include "app/calendar.h"
#include "reports/loader.h"
#include "reports/reportjournal.h"

LimitsHistory limitsHistoryOf(const JournalledReport& file)
{
    LimitsHistory history;
    bool changed = false;
    for (const HeaderInForce& h : file.headers) {
        ReportHeaderFields fields;
        if (!h.since.isValid() || !readReportHeaderFields(h.header, fields)) continue;
        const LimitsSince limits{h.since, fields.lowLimit, fields.highLimit};
        if (!history.empty() && (limits.lower != history.front().lower || limits.upper != history.front().upper))
            changed = true;
        history.push_back(limits);
    }
    if (!changed) history.clear();
    return history;
}

std::optional<LimitsSince> limitsInForceAt(const LimitsHistory& history, const QDateTime& moment)
{
    if (history.empty()) return std::nullopt;
    // A clock set back may give a later entry an earlier time: the later entry wins
    // from its own time on.
    for (auto it = history.rbegin(); it != history.rend(); ++it)
        if (it->since <= moment) return *it;
    return history.front();
}

LimitsJournal::LimitsJournal(const QString& rootDir) : m_rootDir(rootDir)
{
    try {
        for (const auto& [key, file] : replayReportEntries(scanJournal(journalPath(rootDir)))) {
            LimitsHistory history = limitsHistoryOf(file);
            if (!history.empty()) m_files.emplace(key, std::move(history));
        }
    } catch (const std::exception&) {
        // A journal that cannot be read, or whose entries cannot be replayed (a detail
        // of the wrong type), tells no history: the headers' limits hold, and the file
        // still opens.
    }
}

LimitsHistory LimitsJournal::historyOf(const QString& path) const
{
    const auto it = m_files.find(journalFileKey(m_rootDir, path));
    return it == m_files.end() ? LimitsHistory() : it->second;
}

LimitsHistory readLimitsHistory(const QString& rootDir, const QString& path)
{
    return LimitsJournal(rootDir).historyOf(path);
}

const LimitStep& MonthLimits::at(const MonthHour& hour) const
{
    for (auto it = steps.crbegin(); it != steps.crend(); ++it)
        if (it->from <= hour) return *it;
    return steps.front();
}

MonthLimits headerMonthLimits(const ReportHeaderFields& header)
{
    return {{LimitStep{{1, 0}, header.lowLimit, header.highLimit}}};
}

MonthLimits monthLimits(const LimitsHistory& history, const ReportHeaderFields& header, int fullYear, int month,
                        ShamsiCalendar calendar)
{
    if (history.empty() || month < 1 || month > 12) return headerMonthLimits(header);
    MonthLimits limits;
    const int days = month <= 6 ? 31 : 30;
    for (int d = 1; d <= days; ++d) {
        const QDate date = fromShamsi({fullYear, month, d}, calendar);
        if (!date.isValid()) continue;
        for (int h = 0; h < 24; ++h) {
            const std::optional<LimitsSince> in = limitsInForceAt(history, QDateTime(date, QTime(h, 0)));
            if (!limits.steps.isEmpty() && in->lower == limits.steps.back().lower &&
                in->upper == limits.steps.back().upper)
                continue;
            limits.steps.append({limits.steps.isEmpty() ? MonthHour{1, 0} : MonthHour{d, h}, in->lower, in->upper});
        }
    }
    if (limits.steps.isEmpty()) return headerMonthLimits(header);
    return limits;
}
