// The limits of a report file through time. The header line holds the limits in force
// now; the audit journal holds every header the file had and the moment from which each
// held, so an earlier month is drawn and judged against the limits of its own hours.
#pragma once

#include <map>
#include <optional>
#include <vector>

#include <QDateTime>
#include <QList>
#include <QString>

#include "app/records.h"

struct JournalledReport;
struct ReportHeaderFields;

// The lower and upper limit that a header gave from a moment on.
struct LimitsSince
{
    QDateTime since;
    double lower = 0;
    double upper = 0;
};

// A report file's limits in the journal's order. Empty when the journal records no
// change of limits for the file: its header's limits then held all along.
using LimitsHistory = std::vector<LimitsSince>;

// The history of one journalled report file: each header in force whose time and
// limits can be read (the limits as the loader reads a header), in journal order.
// Empty when those headers all give the same limits.
LimitsHistory limitsHistoryOf(const JournalledReport& file);

// The limits in force at a moment: those of the last header, in journal order, in force
// by then; before the first one, the first one's (a file's first journalled header is
// the one it was created or adopted with). None for an empty history.
std::optional<LimitsSince> limitsInForceAt(const LimitsHistory& history, const QDateTime& moment);

// The limits histories of a root folder's report files, from one reading of its journal.
// A journal that is missing, cannot be read or cannot be replayed gives none: every
// file then draws with its header's limits.
class LimitsJournal
{
public:
    explicit LimitsJournal(const QString& rootDir);
    // The history of the report file at path (within the root folder or outside it).
    LimitsHistory historyOf(const QString& path) const;

private:
    QString m_rootDir;
    std::map<QString, LimitsHistory> m_files;
};

// The history of one report file, reading the root folder's journal for it.
LimitsHistory readLimitsHistory(const QString& rootDir, const QString& path);

// One hour of a month: day 1..31, hour 0..23.
struct MonthHour
{
    int day = 0;
    int hour = 0;
    friend bool operator==(const MonthHour&, const MonthHour&) = default;
    friend auto operator<=>(const MonthHour&, const MonthHour&) = default;
};

// Limits that held from an hour of a month on.
struct LimitStep
{
    MonthHour from;
    double lower = 0;
    double upper = 0;
};

// The limits of a month's hours: the step from its first hour, then one for each hour
// from which others held, in time order.
struct MonthLimits
{
    QList<LimitStep> steps;

    // Whether the limits changed within the month.
    bool changed() const { return steps.size() > 1; }
    // The limits of an hour of the month, and those of its end.
    const LimitStep& at(const MonthHour& hour) const;
    const LimitStep& last() const { return steps.back(); }
};

// The limits of each hour of month 1..12 of the whole Solar Hijri year fullYear, an hour
// being the local time at its start in the calendar given: from the history, or the
// header's limits all month when the history is empty. The month's hours are the view's
// (31 days for months 1..6, 30 for the others); a day the calendar lacks changes nothing.
MonthLimits monthLimits(const LimitsHistory& history, const ReportHeaderFields& header, int fullYear, int month,
                        ShamsiCalendar calendar);
// The header's limits all month.
MonthLimits headerMonthLimits(const ReportHeaderFields& header);
