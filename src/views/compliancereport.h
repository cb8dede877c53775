// The fleet's compliance report without a window:
//   termivo --report [--root DIR] [--month YY/M | --from YY/M --to YY/M] [--channel ID:N ...]
//                    [--min-excursion H] [--format text|csv|json|pdf] [--out FILE]
// the compliance figures of every named channel of the registry (or the channels
// given) for each month, from the report files of the root folder's year folders.
#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "reports/loader.h"
#include "views/compliance.h"

struct ProgramState;

// Exit statuses of the report.
enum ReportStatus {
    kReportOk = 0,
    kReportFileUnreadable = 1,  // a report file could not be read (the others are reported), or the output not written
    kReportUsage = 2,
    kReportNoRegistry = 4,  // the registry cannot be read or registers no device: nothing written
};

// A Solar Hijri month: yy as the year folders name the year, month 1..12.
struct ReportMonth
{
    int yy = 0;
    int month = 0;
};

// A channel of the registry: device ID, channel 1..4, device and sensor names.
struct ReportChannel
{
    QString deviceId;
    int channel = 0;
    QString deviceName;
    QString sensorName;
    int registryIndex = -1;  // its line in DevList
};

// One channel's month: the figures, and the report file they came from.
struct ChannelMonthReport
{
    ReportMonth at;
    QString reportFile;  // the year's report file; empty when there is none (no hour recorded)
    QString sensorType;  // the type letter of its header
    QString unreadable;  // why the report file could not be read; the figures then are none
    MonthCompliance figures;
};

struct ChannelReport
{
    ReportChannel channel;
    QList<ChannelMonthReport> months;
    // The type letter and limits (at its end) of the channel's last readable month with a file.
    QString sensorType;
    bool hasLimits = false;
    double lowerLimit = 0;
    double upperLimit = 0;
};

struct FleetReport
{
    QDateTime made;                                      // the program's clock when it was made
    ShamsiCalendar calendar = ShamsiCalendar::Official;  // the calendar it dates by
    QList<ReportMonth> months;
    int minExcursionHours = 1;
    QList<ChannelReport> channels;
    QStringList headingLines;  // the heading lines of the settings file
    QStringList unreadable;    // "FILE: reason" of every report file that could not be read
};

// The figures of channels for months at the moment now, dated in calendar, read from the
// year folders of root (each year file read once), each hour judged against the limits
// that root's journal says were in force on it.
FleetReport buildFleetReport(const QString& root, const QList<ReportChannel>& channels,
                             const QList<ReportMonth>& months, int minExcursionHours, const QDateTime& now,
                             ShamsiCalendar calendar);

// One channel's report file of a year as read: its path (empty: no file), why it
// could not be read, and its year when it was read (with its limits history from
// journal when one is given).
struct LoadedYear
{
    QString path;
    QString unreadable;
    std::unique_ptr<ReportYear> year;
};
LoadedYear loadChannelYear(const QString& root, const ReportChannel& ch, int yy,
                           const LimitsJournal* journal = nullptr);

// A month of the command line, "YY/M" (year 0..99, month 1..12).
bool parseReportMonth(const QString& text, ReportMonth& m);
// The months from one to the other; none, with why set, when from is after to or they
// span more than a hundred years.
QList<ReportMonth> reportMonthsBetween(const ReportMonth& from, const ReportMonth& to, const QDateTime& now,
                                       ShamsiCalendar calendar, QString& why);
// The channels of the registry loaded into state that "--channel ID:N" arguments name (the first
// registry line with the ID), or every named channel when there are none; false, with
// why set, for an argument that names none.
bool registryChannels(const ProgramState& state, const QStringList& channelArgs, QList<ReportChannel>& channels,
                      QString& why);
// Loads the registry of the root folder state.Prog.RootDir into state for a mode that
// reads its channels' report files; false, told on err ("nothing was written"), when
// it cannot be read or registers no device.
bool loadRegistryOfReports(ProgramState& state, QTextStream& err);

// "YY/M/D" of a month's day, and the Gregorian moment "YYYY-MM-DDTHH:00" of an hour.
QString shamsiDayText(const ReportMonth& month, int day);
// The limits of a month's figures as the text report gives them: "limits L .. U", and
// when they changed within the month, the limits from each hour of change on
// ("limits 18.0 .. 26.0, from 5/1/10 14:00 20.0 .. 24.0").
QString monthLimitsText(const ReportMonth& month, const MonthCompliance& figures);
QString gregorianHourText(const ReportMonth& month, const MonthHour& at, const QDateTime& now, ShamsiCalendar calendar);
// A figure with one decimal and a point, as the month table rounds it.
QString reportNumber(double v);

// The formats.
QString fleetReportText(const FleetReport& report);
QByteArray fleetReportCsv(const FleetReport& report);
QByteArray fleetExcursionsCsv(const FleetReport& report);
QByteArray fleetReportJson(const FleetReport& report);
// FILE with "-excursions" before its extension.
QString excursionsPathOf(const QString& out);

// The mode's "--help" text.
QString reportHelp();
// Writes the PDF of a report (the window library draws it).
using ReportPdfWriter = std::function<QByteArray(const FleetReport&)>;
// Runs it; args without the program name. pdf draws the pdf format (none: that format
// is not offered).
int runReport(const QStringList& args, QTextStream& out, QTextStream& err, const ReportPdfWriter& pdf);
