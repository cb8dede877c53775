#include "views/compliancereport.h"

#include <map>
#include <memory>
#include <nlohmann/json.hpp>

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include "app/calendar.h"
#include "app/commandline.h"
#include "app/outputtarget.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "reports/reportfile.h"
#include "views/month.h"

namespace {

const QString kMode = QStringLiteral("--report");

int monthIndex(const ReportMonth& m, const QDateTime& now, ShamsiCalendar calendar)
{
    return fullShamsiYear(m.yy, now, calendar) * 12 + m.month - 1;
}

// A text that a spreadsheet would take for a formula (a name beginning with "=", "+",
// "-", "@" or a control character) is kept as text by a leading apostrophe, the
// spreadsheets' own mark; a number, negative ones included, stays a number.
QString csvCellText(const QString& text)
{
    if (text.isEmpty()) return text;
    const QChar first = text.front();
    const bool formulaStart = first == QLatin1Char('=') || first == QLatin1Char('+') || first == QLatin1Char('-') ||
                              first == QLatin1Char('@') || first == QLatin1Char('\t') || first == QLatin1Char('\r');
    bool isNumber = false;
    QLocale::c().toDouble(text, &isNumber);
    return formulaStart && !isNumber ? QLatin1Char('\'') + text : text;
}

QString csvField(const QString& cell)
{
    QString text = csvCellText(cell);
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray csvBytes(const QList<QStringList>& rows)
{
    QByteArray bytes("\xEF\xBB\xBF");
    for (const QStringList& row : rows) {
        QStringList fields;
        for (const QString& f : row) fields << csvField(f);
        bytes += fields.join(QLatin1Char(',')).toUtf8() + "\r\n";
    }
    return bytes;
}

QString optionalNumber(const std::optional<double>& v)
{
    return v ? reportNumber(*v) : QString();
}

QString sideText(Excursion::Side side)
{
    return side == Excursion::Low ? QStringLiteral("low") : QStringLiteral("high");
}

QString hourText(int hour)
{
    return QStringLiteral("%1:00").arg(hour, 2, 10, QLatin1Char('0'));
}

nlohmann::json jsonNumber(double v)
{
    return std::stod(reportNumber(v).toStdString());
}

nlohmann::json jsonOptional(const std::optional<double>& v)
{
    return v ? jsonNumber(*v) : nlohmann::json(nullptr);
}

nlohmann::json jsonMoment(const ReportMonth& m, const MonthHour& at, const QDateTime& now, ShamsiCalendar calendar)
{
    return {{"shamsi", shamsiDayText(m, at.day).toStdString()},
            {"hour", at.hour},
            {"gregorian", gregorianHourText(m, at, now, calendar).toStdString()}};
}

nlohmann::json jsonLimits(bool has, double lower, double upper)
{
    if (!has) return nullptr;
    return {{"lower", jsonNumber(lower)}, {"upper", jsonNumber(upper)}};
}

std::string str(const QString& s)
{
    return s.toStdString();
}

ReportMonth lastCompleteMonth(const QDateTime& now, ShamsiCalendar calendar)
{
    const _SYSTEMTIME today = clockOf(now, calendar);
    if (today.wMonth > 1) return {today.wYear, today.wMonth - 1};
    return {(today.wYear + 99) % 100, 12};
}

// Every output of the report (the CSV's excursions file too) follows the rule of
// every mode's output; the report files read and the registry are its inputs.
void checkReportOutputs(const QStringList& outputs, const QStringList& inputs)
{
    for (const QString& out : outputs) checkOutputTarget(out, inputs);
}

}  // namespace

LoadedYear loadChannelYear(const QString& root, const ReportChannel& ch, int yy, const LimitsJournal* journal)
{
    LoadedYear y;
    try {
        y.path = reportFilePath(root, yy, ch.deviceId, ch.channel, ch.sensorName);
    } catch (const ReportPathError& e) {
        y.unreadable = e.text();
        return y;
    }
    if (!QFileInfo::exists(y.path)) {
        y.path.clear();
        return y;
    }
    try {
        const TextFile file = readTextFile(y.path);
        auto year = std::make_unique<ReportYear>();
        year->path = y.path;
        loadReportYear(*year, file.lines);
        if (journal) year->limitsHistory = journal->historyOf(y.path);
        y.year = std::move(year);
    } catch (const std::exception& e) {
        y.unreadable = errorText(e);
    }
    return y;
}

bool parseReportMonth(const QString& text, ReportMonth& m)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() != 2) return false;
    bool okYear = false;
    bool okMonth = false;
    m.yy = parts[0].toInt(&okYear);
    m.month = parts[1].toInt(&okMonth);
    return okYear && okMonth && m.yy >= 0 && m.yy <= 99 && m.month >= 1 && m.month <= 12;
}

QList<ReportMonth> reportMonthsBetween(const ReportMonth& from, const ReportMonth& to, const QDateTime& now,
                                       ShamsiCalendar calendar, QString& why)
{
    const int first = monthIndex(from, now, calendar);
    const int last = monthIndex(to, now, calendar);
    if (first > last) {
        why = QStringLiteral("--from is after --to");
        return {};
    }
    if (last - first >= 1200) {
        why = QStringLiteral("more than a hundred years asked");
        return {};
    }
    QList<ReportMonth> months;
    ReportMonth m = from;
    for (int k = first; k <= last; ++k) {
        months << m;
        m = m.month == 12 ? ReportMonth{(m.yy + 1) % 100, 1} : ReportMonth{m.yy, m.month + 1};
    }
    return months;
}

bool loadRegistryOfReports(ProgramState& state, QTextStream& err)
{
    try {
        reportRegistryNotes(loadRegistry(state));
    } catch (const std::exception& e) {
        err << "termivo: " << consoleText(errorText(e)) << "\n";
        err.flush();
        return false;
    }
    if (state.DevLast < 0) {
        const QString registry = deviceStatusPath(state.Prog.RootDir);
        err << "termivo: the registry \"" << QDir::toNativeSeparators(registry) << "\" "
            << (QFileInfo::exists(registry) ? "registers no device" : "does not exist") << "; nothing was written.\n";
        err.flush();
        return false;
    }
    return true;
}

bool registryChannels(const ProgramState& state, const QStringList& channelArgs, QList<ReportChannel>& channels,
                      QString& why)
{
    auto channelOf = [&state](int d, int s) {
        const Device_Rec& dev = state.DevList[d];
        return ReportChannel{dev.ID, s + 1, dev.Name, dev.Sensor[s].Name, d};
    };
    if (channelArgs.isEmpty()) {
        for (int d = 0; d <= state.DevLast; ++d)
            for (int s = 0; s < 4; ++s)
                if (!state.DevList[d].Sensor[s].Name.isEmpty()) channels << channelOf(d, s);
    }
    for (const QString& c : channelArgs) {
        const qsizetype colon = c.lastIndexOf(QLatin1Char(':'));
        bool ok = false;
        const int n = colon > 0 ? c.mid(colon + 1).toInt(&ok) : 0;
        const QString id = c.left(colon);
        if (!ok || n < 1 || n > 4) {
            why = QStringLiteral("--channel needs ID:N with N 1..4, not \"%1\"").arg(c);
            return false;
        }
        int found = -1;
        for (int d = 0; d <= state.DevLast && found < 0; ++d)
            if (state.DevList[d].ID == id) found = d;
        if (found < 0 || state.DevList[found].Sensor[n - 1].Name.isEmpty()) {
            why = QStringLiteral("the registry has no named channel %1 of device \"%2\"").arg(n).arg(id);
            return false;
        }
        channels << channelOf(found, n - 1);
    }
    return true;
}

QString reportNumber(double v)
{
    QString s = formatFixed(v, 1);
    const QChar sep = decimalSeparator();
    if (sep != QLatin1Char('.')) s.replace(sep, QLatin1Char('.'));
    if (s == QLatin1String("-0.0")) s = QStringLiteral("0.0");
    return s;
}

QString shamsiDayText(const ReportMonth& month, int day)
{
    return QStringLiteral("%1/%2/%3").arg(month.yy).arg(month.month).arg(day);
}

QString monthLimitsText(const ReportMonth& month, const MonthCompliance& figures)
{
    const QList<LimitStep>& steps = figures.limits.steps;
    const LimitStep& first = steps.front();
    QString text = QStringLiteral("limits %1 .. %2").arg(reportNumber(first.lower), reportNumber(first.upper));
    for (qsizetype i = 1; i < steps.size(); ++i)
        text += QStringLiteral(", from %1 %2 %3 .. %4")
                    .arg(shamsiDayText(month, steps[i].from.day), hourText(steps[i].from.hour),
                         reportNumber(steps[i].lower), reportNumber(steps[i].upper));
    return text;
}

QString gregorianHourText(const ReportMonth& month, const MonthHour& at, const QDateTime& now, ShamsiCalendar calendar)
{
    const QDate d = gregorianOfShamsi(month.yy, month.month, at.day, now, calendar);
    return d.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("T%1").arg(hourText(at.hour));
}

FleetReport buildFleetReport(const QString& root, const QList<ReportChannel>& channels,
                             const QList<ReportMonth>& months, int minExcursionHours, const QDateTime& now,
                             ShamsiCalendar calendar)
{
    FleetReport r;
    r.made = now;
    r.calendar = calendar;
    r.months = months;
    r.minExcursionHours = minExcursionHours;
    const LimitsJournal journal(root);
    for (const ReportChannel& ch : channels) {
        ChannelReport cr;
        cr.channel = ch;
        std::map<int, LoadedYear> years;
        for (const ReportMonth& m : months) {
            auto it = years.find(m.yy);
            if (it == years.end()) {
                it = years.emplace(m.yy, loadChannelYear(root, ch, m.yy, &journal)).first;
                if (!it->second.unreadable.isEmpty())
                    r.unreadable << QStringLiteral("%1: %2").arg(
                        it->second.path.isEmpty()
                            ? QStringLiteral("%1:%2 year %3").arg(ch.deviceId).arg(ch.channel).arg(m.yy)
                            : QDir::toNativeSeparators(it->second.path),
                        it->second.unreadable);
            }
            const LoadedYear& y = it->second;
            ChannelMonthReport mr;
            mr.at = m;
            mr.reportFile = y.path;
            mr.unreadable = y.unreadable;
            if (y.unreadable.isEmpty()) {
                const ReportYear& year = y.year ? *y.year : emptyReportYear();
                ComplianceOptions o;
                o.minExcursionHours = minExcursionHours;
                o.expectedHours = expectedHoursAt(m.yy, m.month, now, calendar);
                o.limits = monthLimitsOf(year, m.yy, m.month, now, calendar);
                mr.figures =
                    computeMonthCompliance(year, m.month, complianceMonthDays(m.yy, m.month, now, calendar), o);
                mr.sensorType = year.header.sensorType;
                if (y.year) {
                    cr.sensorType = mr.sensorType;
                    cr.hasLimits = mr.figures.hasLimits;
                    cr.lowerLimit = mr.figures.lowerLimit;
                    cr.upperLimit = mr.figures.upperLimit;
                }
            }
            cr.months << std::move(mr);
        }
        r.channels << std::move(cr);
    }
    return r;
}

QString fleetReportText(const FleetReport& report)
{
    QString t;
    QTextStream s(&t);
    const _SYSTEMTIME made = clockOf(report.made, report.calendar);
    s << "Compliance report, made " << made.wYear << '/' << made.wMonth << '/' << made.wDay << ' '
      << report.made.toString(QStringLiteral("HH:mm")) << " ("
      << report.made.toString(QStringLiteral("yyyy-MM-dd HH:mm")) << ")\n";
    for (const QString& line : report.headingLines) s << line << '\n';
    s << "Shortest excursion listed: " << report.minExcursionHours << " h\n";
    for (const ChannelReport& ch : report.channels) {
        const ReportChannel& c = ch.channel;
        s << "\n" << c.deviceId << ':' << c.channel << "  " << c.deviceName << " / " << c.sensorName;
        if (!ch.sensorType.isEmpty()) s << "  (type " << ch.sensorType << ')';
        s << '\n';
        for (const ChannelMonthReport& mr : ch.months) {
            const MonthCompliance& f = mr.figures;
            const ReportMonth& m = mr.at;
            s << "  " << m.yy << '/' << m.month << ": ";
            if (!mr.unreadable.isEmpty()) {
                s << "report file unreadable: " << mr.unreadable << '\n';
                continue;
            }
            if (mr.reportFile.isEmpty()) s << "no report file; ";
            s << (f.hasLimits ? monthLimitsText(m, f) : QStringLiteral("no readable limits in the header")) << '\n';
            s << "    hours expected " << f.hoursExpected << ", recorded " << f.hoursRecorded << ", completeness "
              << (f.completenessPercent ? reportNumber(*f.completenessPercent) + QStringLiteral(" %")
                                        : QStringLiteral("-"))
              << '\n';
            if (f.min) {
                s << "    minimum " << reportNumber(*f.min) << " at " << shamsiDayText(m, f.minAt.day) << ' '
                  << hourText(f.minAt.hour) << ", maximum " << reportNumber(*f.max) << " at "
                  << shamsiDayText(m, f.maxAt.day) << ' ' << hourText(f.maxAt.hour) << ", mean "
                  << reportNumber(*f.mean) << '\n';
            }
            if (f.mkt) s << "    mean kinetic temperature " << reportNumber(*f.mkt) << '\n';
            if (f.hasLimits) {
                s << "    hours below " << f.hoursBelow << ", above " << f.hoursAbove << "; excursions "
                  << f.excursions.size() << '\n';
                for (const Excursion& e : f.excursions)
                    s << "      " << sideText(e.side).leftJustified(5) << shamsiDayText(m, e.first.day) << ' '
                      << hourText(e.first.hour) << " .. " << shamsiDayText(m, e.last.day) << ' '
                      << hourText(e.last.hour) << "  " << e.hours << " h, extreme " << reportNumber(e.extreme) << '\n';
            }
        }
    }
    s.flush();
    return t;
}

QByteArray fleetReportCsv(const FleetReport& report)
{
    QList<QStringList> rows{{"device", "channel", "device_name", "sensor", "type", "year", "month", "hours_expected",
                             "hours_recorded", "completeness_percent", "min", "max", "mean", "mkt", "lower_limit",
                             "upper_limit", "hours_below", "hours_above", "excursions"}};
    for (const ChannelReport& ch : report.channels) {
        const ReportChannel& c = ch.channel;
        for (const ChannelMonthReport& mr : ch.months) {
            if (!mr.unreadable.isEmpty()) continue;
            const MonthCompliance& f = mr.figures;
            const bool lim = f.hasLimits;
            rows << QStringList{c.deviceId,
                                QString::number(c.channel),
                                c.deviceName,
                                c.sensorName,
                                mr.sensorType,
                                QString::number(mr.at.yy),
                                QString::number(mr.at.month),
                                QString::number(f.hoursExpected),
                                QString::number(f.hoursRecorded),
                                optionalNumber(f.completenessPercent),
                                optionalNumber(f.min),
                                optionalNumber(f.max),
                                optionalNumber(f.mean),
                                optionalNumber(f.mkt),
                                lim ? reportNumber(f.lowerLimit) : QString(),
                                lim ? reportNumber(f.upperLimit) : QString(),
                                lim ? QString::number(f.hoursBelow) : QString(),
                                lim ? QString::number(f.hoursAbove) : QString(),
                                lim ? QString::number(f.excursions.size()) : QString()};
        }
    }
    return csvBytes(rows);
}

QByteArray fleetExcursionsCsv(const FleetReport& report)
{
    QList<QStringList> rows{{"device", "channel", "sensor", "year", "month", "side", "start_day", "start_hour",
                             "end_day", "end_hour", "hours", "extreme"}};
    for (const ChannelReport& ch : report.channels) {
        const ReportChannel& c = ch.channel;
        for (const ChannelMonthReport& mr : ch.months) {
            for (const Excursion& e : mr.figures.excursions) {
                rows << QStringList{c.deviceId,
                                    QString::number(c.channel),
                                    c.sensorName,
                                    QString::number(mr.at.yy),
                                    QString::number(mr.at.month),
                                    sideText(e.side),
                                    shamsiDayText(mr.at, e.first.day),
                                    QString::number(e.first.hour),
                                    shamsiDayText(mr.at, e.last.day),
                                    QString::number(e.last.hour),
                                    QString::number(e.hours),
                                    reportNumber(e.extreme)};
            }
        }
    }
    return csvBytes(rows);
}

QByteArray fleetReportJson(const FleetReport& report)
{
    const QDateTime& now = report.made;
    nlohmann::json channels = nlohmann::json::array();
    for (const ChannelReport& ch : report.channels) {
        const ReportChannel& c = ch.channel;
        nlohmann::json months = nlohmann::json::array();
        for (const ChannelMonthReport& mr : ch.months) {
            if (!mr.unreadable.isEmpty()) continue;
            const MonthCompliance& f = mr.figures;
            const ReportMonth& m = mr.at;
            nlohmann::json excursions = nlohmann::json::array();
            for (const Excursion& e : f.excursions)
                excursions.push_back({{"side", str(sideText(e.side))},
                                      {"start", jsonMoment(m, e.first, now, report.calendar)},
                                      {"end", jsonMoment(m, e.last, now, report.calendar)},
                                      {"hours", e.hours},
                                      {"extreme", jsonNumber(e.extreme)}});
            auto extreme = [&](const std::optional<double>& v, const MonthHour& at) -> nlohmann::json {
                if (!v) return nullptr;
                return {{"value", jsonNumber(*v)}, {"at", jsonMoment(m, at, now, report.calendar)}};
            };
            auto limitCount = [&](int n) -> nlohmann::json { return f.hasLimits ? nlohmann::json(n) : nullptr; };
            months.push_back({
                {"year", m.yy},
                {"month", m.month},
                {"report_file", mr.reportFile.isEmpty() ? nlohmann::json(nullptr)
                                                        : nlohmann::json(str(QDir::toNativeSeparators(mr.reportFile)))},
                {"type", str(mr.sensorType)},
                {"limits", jsonLimits(f.hasLimits, f.lowerLimit, f.upperLimit)},
                {"hours_expected", f.hoursExpected},
                {"hours_recorded", f.hoursRecorded},
                {"completeness_percent", jsonOptional(f.completenessPercent)},
                {"min", extreme(f.min, f.minAt)},
                {"max", extreme(f.max, f.maxAt)},
                {"mean", jsonOptional(f.mean)},
                {"mkt", jsonOptional(f.mkt)},
                {"hours_below", limitCount(f.hoursBelow)},
                {"hours_above", limitCount(f.hoursAbove)},
                {"excursions", excursions},
            });
            if (f.hasLimits && f.limits.changed()) {
                // The limits changed within the month: those of each of its stretches.
                nlohmann::json changes = nlohmann::json::array();
                for (const LimitStep& step : f.limits.steps)
                    changes.push_back({{"from", jsonMoment(m, step.from, now, report.calendar)},
                                       {"lower", jsonNumber(step.lower)},
                                       {"upper", jsonNumber(step.upper)}});
                months.back()["limits_in_force"] = changes;
            }
        }
        channels.push_back({{"device", str(c.deviceId)},
                            {"channel", c.channel},
                            {"device_name", str(c.deviceName)},
                            {"sensor", str(c.sensorName)},
                            {"type", str(ch.sensorType)},
                            {"limits", jsonLimits(ch.hasLimits, ch.lowerLimit, ch.upperLimit)},
                            {"months", months}});
    }
    nlohmann::json unreadable = nlohmann::json::array();
    for (const QString& u : report.unreadable) unreadable.push_back(str(u));
    const _SYSTEMTIME made = clockOf(now, report.calendar);
    const nlohmann::json doc = {
        {"made",
         {{"shamsi", str(QStringLiteral("%1/%2/%3").arg(made.wYear).arg(made.wMonth).arg(made.wDay))},
          {"time", str(now.toString(QStringLiteral("HH:mm")))},
          {"gregorian", str(now.toString(QStringLiteral("yyyy-MM-ddTHH:mm")))}}},
        {"min_excursion_hours", report.minExcursionHours},
        {"channels", channels},
        {"unreadable_files", unreadable},
    };
    return QByteArray::fromStdString(doc.dump(2)) + '\n';
}

QString excursionsPathOf(const QString& out)
{
    const QFileInfo info(out);
    const QString base = info.completeBaseName() + QStringLiteral("-excursions");
    const QString name = info.suffix().isEmpty() ? base : base + QLatin1Char('.') + info.suffix();
    const QString dir = out.contains(QLatin1Char('/')) ? out.left(out.lastIndexOf(QLatin1Char('/')) + 1) : QString();
    return dir + name;
}

QString reportHelp()
{
    return QStringLiteral(
        "usage: termivo --report [--root DIR] [--month YY/M | --from YY/M --to YY/M] [--channel ID:N ...]\n"
        "                        [--min-excursion H] [--format text|csv|json|pdf] [--out FILE]\n"
        "Writes the compliance figures of the registry's named channels for each month: hours expected\n"
        "and recorded, completeness, minimum, maximum, mean, mean kinetic temperature (temperature\n"
        "channels), hours below and above the header's limits, and the excursions.\n"
        "  --root DIR         the root folder (default: see \"termivo --help\")\n"
        "  --month YY/M       one month, the year as the year folders name it (default: the last\n"
        "                     complete month)\n"
        "  --from YY/M --to YY/M  every month from one to the other\n"
        "  --channel ID:N     only channel N (1..4) of device ID; may be given more than once\n"
        "  --min-excursion H  the shortest excursion listed, in hours (default 1); the hour counts\n"
        "                     take every hour\n"
        "  --format F         text (default), csv (FILE and FILE-excursions, UTF-8 with a mark), json,\n"
        "                     or pdf (the page a lab signs)\n"
        "  --out FILE         the file to write, replaced whole (needed for csv and pdf; text and json\n"
        "                     go to standard output without it)\n"
        "Exit status: 0 written, 1 a report file could not be read (the others are reported and it is\n"
        "named) or the output could not be written, 2 bad command line, 4 the registry cannot be read\n"
        "or registers no device.\n");
}

int runReport(const QStringList& args, QTextStream& out, QTextStream& err, const ReportPdfWriter& pdf)
{
    std::optional<ReportMonth> single, from, to;
    QStringList channelArgs;
    int minExcursion = 1;
    QString format = QStringLiteral("text");
    QString outPath;
    QString root;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == kMode) continue;
        const bool takesValue = a == QLatin1String("--root") || a == QLatin1String("--month") ||
                                a == QLatin1String("--from") || a == QLatin1String("--to") ||
                                a == QLatin1String("--channel") || a == QLatin1String("--min-excursion") ||
                                a == QLatin1String("--format") || a == QLatin1String("--out");
        if (!takesValue) return commandUsageError(err, kMode, QStringLiteral("unknown option \"%1\"").arg(a));
        if (i + 1 >= args.size()) return commandUsageError(err, kMode, QStringLiteral("%1 needs a value").arg(a));
        const QString& v = args[++i];
        auto month = [&](std::optional<ReportMonth>& m) {
            ReportMonth parsed;
            if (!parseReportMonth(v, parsed)) return false;
            m = parsed;
            return true;
        };
        if (a == QLatin1String("--root")) {
            root = v;
        } else if (a == QLatin1String("--month") || a == QLatin1String("--from") || a == QLatin1String("--to")) {
            auto& target = a == QLatin1String("--month") ? single : a == QLatin1String("--from") ? from : to;
            if (!month(target))
                return commandUsageError(
                    err, kMode,
                    QStringLiteral("%1 needs a month as YY/M (year 0..99, month 1..12), not \"%2\"").arg(a, v));
        } else if (a == QLatin1String("--channel")) {
            channelArgs << v;
        } else if (a == QLatin1String("--min-excursion")) {
            bool ok = false;
            minExcursion = v.toInt(&ok);
            if (!ok || minExcursion < 1)
                return commandUsageError(
                    err, kMode,
                    QStringLiteral("--min-excursion needs a whole number of hours from 1, not \"%1\"").arg(v));
        } else if (a == QLatin1String("--format")) {
            format = v;
            const QStringList formats{"text", "csv", "json", "pdf"};
            if (!formats.contains(format) || (format == QLatin1String("pdf") && !pdf))
                return commandUsageError(err, kMode,
                                         QStringLiteral("--format must be text, csv, json or pdf, not \"%1\"").arg(v));
        } else {
            outPath = v;
        }
    }
    if (single && (from || to))
        return commandUsageError(err, kMode, QStringLiteral("--month cannot be given with --from and --to"));
    if (bool(from) != bool(to)) return commandUsageError(err, kMode, QStringLiteral("--from and --to go together"));
    if ((format == QLatin1String("csv") || format == QLatin1String("pdf")) && outPath.isEmpty())
        return commandUsageError(err, kMode, QStringLiteral("--format %1 needs --out FILE").arg(format));
    if (!root.isEmpty())
        if (const int status = useRootFolder(root, kMode, err)) return status;

    // The months are dated in the calendar of the settings, so the registry comes first.
    ProgramState state;
    state.reset(computeRootDir());
    if (!loadRegistryOfReports(state, err)) return kReportNoRegistry;

    const QDateTime now = programNow();
    const ShamsiCalendar calendar = state.Prog.calendar;
    QList<ReportMonth> months;
    if (from) {
        QString why;
        months = reportMonthsBetween(*from, *to, now, calendar, why);
        if (months.isEmpty()) return commandUsageError(err, kMode, why);
    } else {
        months << single.value_or(lastCompleteMonth(now, calendar));
    }

    QList<ReportChannel> channels;
    QString why;
    if (!registryChannels(state, channelArgs, channels, why)) return commandUsageError(err, kMode, why);

    FleetReport report = buildFleetReport(state.Prog.RootDir, channels, months, minExcursion, now, calendar);
    report.headingLines = state.Prog.Comment;
    for (const QString& u : report.unreadable) err << "termivo: " << consoleText(u) << "\n";
    err.flush();
    const int status = report.unreadable.isEmpty() ? kReportOk : kReportFileUnreadable;

    try {
        QStringList inputs{deviceStatusPath(state.Prog.RootDir)};
        for (const ChannelReport& ch : report.channels)
            for (const ChannelMonthReport& mr : ch.months)
                if (!mr.reportFile.isEmpty()) inputs << mr.reportFile;
        QStringList outputs;
        if (!outPath.isEmpty()) outputs << outPath;
        if (format == QLatin1String("csv")) outputs << excursionsPathOf(outPath);
        checkReportOutputs(outputs, inputs);

        if (format == QLatin1String("csv")) {
            writeBytesAtomically(outPath, fleetReportCsv(report));
            writeBytesAtomically(excursionsPathOf(outPath), fleetExcursionsCsv(report));
        } else if (format == QLatin1String("pdf")) {
            writeBytesAtomically(outPath, pdf(report));
        } else {
            const QByteArray bytes =
                format == QLatin1String("json") ? fleetReportJson(report) : fleetReportText(report).toUtf8();
            if (outPath.isEmpty()) {
                out << QString::fromUtf8(bytes);
                out.flush();
            } else {
                writeBytesAtomically(outPath, bytes);
            }
        }
    } catch (const std::exception& e) {
        err << "termivo: " << consoleText(errorText(e)) << "\n";
        err.flush();
        return kReportFileUnreadable;
    }
    return status;
}
