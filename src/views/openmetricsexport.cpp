#include "views/openmetricsexport.h"

#include <array>
#include <charconv>
#include <optional>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include "app/calendar.h"
#include "app/channelclash.h"
#include "app/commandline.h"
#include "app/outputtarget.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "online/metrics.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "reports/reportfile.h"

namespace {

const QString kMode = QStringLiteral("--export-openmetrics");
constexpr qsizetype kChunkBytes = 4 * 1024 * 1024;

// One year of a channel in the export: its months, its report file's quantity and
// limits, and the first recorded hour of each day (where the limits go).
struct YearPart
{
    int yy = 0;
    QList<int> months;
    ChannelMetricInfo info;
    bool readable = true;
    QList<qint64> dayStarts;
};

struct ChannelPart
{
    OpenMetricsChannel source;
    MetricChannel labels;
    QList<YearPart> years;
};

// The start of every hour of a day as Unix time, each day converted once.
class HourStamps
{
public:
    HourStamps(const QDateTime& now, ShamsiCalendar calendar) : m_now(now), m_calendar(calendar) {}
    // Nothing for a day the calendar lacks.
    const std::optional<std::array<qint64, 24>>& day(int yy, int month, int day)
    {
        const int key = (yy * 100 + month) * 100 + day;
        auto it = m_days.find(key);
        if (it == m_days.end()) {
            std::optional<std::array<qint64, 24>> hours;
            const QDate date = gregorianOfShamsi(yy, month, day, m_now, m_calendar);
            if (date.isValid()) {
                hours.emplace();
                for (int h = 0; h < 24; ++h) (*hours)[h] = QDateTime(date, QTime(h, 0)).toSecsSinceEpoch();
            }
            it = m_days.insert(key, hours);
        }
        return *it;
    }

private:
    QDateTime m_now;
    ShamsiCalendar m_calendar;
    QHash<int, std::optional<std::array<qint64, 24>>> m_days;
};

// The output in parts of a few megabytes.
class Chunks
{
public:
    explicit Chunks(const std::function<bool(const QByteArray&)>& sink) : m_sink(sink)
    {
        m_buffer.reserve(kChunkBytes);
    }
    void add(const QByteArray& bytes)
    {
        m_buffer += bytes;
        if (m_buffer.size() >= kChunkBytes) flush();
    }
    // One sample: prefix (name, labels and a blank), value, blank, timestamp.
    void sample(const QByteArray& prefix, double value, qint64 seconds)
    {
        char text[64];
        char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15).ptr;
        *end++ = ' ';
        end = std::to_chars(end, text + sizeof text, seconds).ptr;
        *end++ = '\n';
        m_buffer += prefix;
        m_buffer.append(text, end - text);
        ++samples;
        if (m_buffer.size() >= kChunkBytes) flush();
    }
    void flush()
    {
        if (m_ok && !m_buffer.isEmpty()) m_ok = m_sink(m_buffer);
        m_buffer.clear();
    }
    bool ok() const { return m_ok; }
    qint64 samples = 0;

private:
    const std::function<bool(const QByteArray&)>& m_sink;
    QByteArray m_buffer;
    bool m_ok = true;
};

QByteArray prefixOf(const MetricFamily& family, const MetricChannel& labels)
{
    return (family.name + channelMetricLabels(labels, family) + QLatin1Char(' ')).toUtf8();
}

}  // namespace

OpenMetricsExport writeOpenMetrics(const QString& root, const QList<OpenMetricsChannel>& channels,
                                   const QList<ReportMonth>& months, const QDateTime& now, ShamsiCalendar calendar,
                                   const std::function<bool(const QByteArray&)>& sink)
{
    OpenMetricsExport result;
    // The years and their months in order.
    QList<YearPart> yearsAsked;
    for (const ReportMonth& m : months) {
        if (yearsAsked.isEmpty() || yearsAsked.last().yy != m.yy) yearsAsked << YearPart{m.yy, {}, {}, true, {}};
        yearsAsked.last().months << m.month;
    }

    // Each channel's years, with the quantity and limits of their report files.
    QList<ChannelPart> parts;
    QSet<QString> seen;
    for (const OpenMetricsChannel& c : channels) {
        ChannelPart part{c,
                         {c.channel.deviceId, c.address, c.channel.deviceName, c.channel.channel, c.channel.sensorName},
                         yearsAsked};
        const QString key = channelMetricLabels(part.labels);
        if (seen.contains(key)) continue;  // one series a channel
        seen.insert(key);
        for (YearPart& y : part.years) {
            const LoadedYear loaded = loadChannelYear(root, c.channel, y.yy);
            if (!loaded.unreadable.isEmpty()) {
                y.readable = false;
                result.unreadable << QStringLiteral("%1: %2").arg(
                    loaded.path.isEmpty()
                        ? QStringLiteral("%1:%2 year %3").arg(c.channel.deviceId).arg(c.channel.channel).arg(y.yy)
                        : QDir::toNativeSeparators(loaded.path),
                    loaded.unreadable);
            } else if (loaded.year) {
                y.info = channelMetricInfoOfHeader(readTextFile(loaded.path).lines.value(0), loaded.path);
            } else {
                y.readable = false;  // no file: no hour to write
            }
        }
        parts << part;
    }

    Chunks out(sink);
    HourStamps stamps(now, calendar);
    // The readings, one family after the other (OpenMetrics keeps a family's samples
    // together), each series in time order.
    QStringList familiesDone;
    for (const ChannelPart& first : parts) {
        for (const YearPart& firstYear : first.years) {
            if (!firstYear.readable || familiesDone.contains(firstYear.info.family.name)) continue;
            const MetricFamily family = firstYear.info.family;
            familiesDone << family.name;
            bool headerDone = false;
            for (ChannelPart& part : parts) {
                for (YearPart& y : part.years) {
                    if (!y.readable || y.info.family.name != family.name) continue;
                    const LoadedYear loaded = loadChannelYear(root, part.source.channel, y.yy);
                    if (!loaded.year) continue;
                    const ReportYear& year = *loaded.year;
                    const QByteArray prefix = prefixOf(y.info.family, part.labels);
                    qint64 last = std::numeric_limits<qint64>::min();
                    for (const int m : y.months) {
                        for (int d = 1; d <= 31; ++d) {
                            const auto& hours = stamps.day(y.yy, m, d);
                            if (!hours) continue;
                            bool dayStarted = false;
                            for (int h = 0; h < 24; ++h) {
                                // An hour that a change of the clock skips or repeats is written once.
                                if (!year.hourValid[m][d][h] || (*hours)[h] <= last) continue;
                                last = (*hours)[h];
                                if (!headerDone) out.add(metricFamilyHeader(family, true).toUtf8());
                                headerDone = true;
                                out.sample(prefix, year.hourValue[m][d][h], last);
                                if (!dayStarted) y.dayStarts << last;
                                dayStarted = true;
                            }
                        }
                    }
                }
            }
        }
    }
    // The limits of the header, with the first recorded hour of each day.
    for (const bool upper : {false, true}) {
        const MetricFamily& family = upper ? kUpperLimitFamily : kLowerLimitFamily;
        bool headerDone = false;
        for (const ChannelPart& part : parts) {
            const QByteArray prefix = prefixOf(family, part.labels);
            for (const YearPart& y : part.years) {
                const std::optional<double> limit = upper ? y.info.upperLimit : y.info.lowerLimit;
                if (!limit || y.dayStarts.isEmpty()) continue;
                if (!headerDone) out.add(metricFamilyHeader(family, true).toUtf8());
                headerDone = true;
                for (const qint64 at : y.dayStarts) out.sample(prefix, *limit, at);
            }
        }
    }
    out.add("# EOF\n");
    out.flush();
    result.samples = out.samples;
    if (!out.ok()) throw FileError(QStringLiteral("The output could not be written."));
    return result;
}

QString exportOpenMetricsHelp()
{
    return QStringLiteral(
        "usage: termivo --export-openmetrics [--root DIR] [--from YY/M] [--to YY/M] [--channel ID:N ...]\n"
        "                                    [--out FILE]\n"
        "Writes every recorded hour of the report files in the OpenMetrics text format, under the names\n"
        "and labels of \"termivo --poll-once --format prometheus\" (one metric per quantity, with the\n"
        "header's limits), for \"promtool tsdb create-blocks-from openmetrics FILE DIR\". An hour is\n"
        "stamped at its start in the local time zone; an hour not recorded has no sample.\n"
        "  --root DIR      the root folder (default: the folder of the executable)\n"
        "  --from YY/M     the first month, the year as the year folders name it (default: month 1 of\n"
        "                  the earliest year folder)\n"
        "  --to YY/M       the last month (default: the current month)\n"
        "  --channel ID:N  only channel N (1..4) of device ID; may be given more than once\n"
        "  --out FILE      replace FILE whole instead of printing: a new file or an existing regular\n"
        "                  file, not a FIFO or device, not the registry, the ledger or a report file\n"
        "Exit status: 0 written, 1 a report file could not be read (the others are written and it is\n"
        "named) or the output could not be written, 2 bad command line, 4 the registry cannot be read\n"
        "or registers no device.\n");
}

namespace {

// Month 1 of the earliest year folder of root, if there is one.
std::optional<ReportMonth> earliestYearFolder(const QString& root, const QDateTime& now, ShamsiCalendar calendar)
{
    std::optional<ReportMonth> first;
    static const QRegularExpression twoDigits(QStringLiteral("^[0-9]{1,2}$"));
    for (const QString& name : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!twoDigits.match(name).hasMatch()) continue;
        const int yy = name.toInt();
        if (!first || fullShamsiYear(yy, now, calendar) < fullShamsiYear(first->yy, now, calendar))
            first = ReportMonth{yy, 1};
    }
    return first;
}

int writeError(QTextStream& err, const QString& text)
{
    err << "termivo: " << consoleText(text) << "\n";
    err.flush();
    return kOpenMetricsFileUnreadable;
}

}  // namespace

int runExportOpenMetrics(const QStringList& args, QTextStream& out, QTextStream& err)
{
    std::optional<ReportMonth> from, to;
    QStringList channelArgs;
    QString outPath;
    QString root;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == kMode) continue;
        const bool takesValue = a == QLatin1String("--root") || a == QLatin1String("--from") ||
                                a == QLatin1String("--to") || a == QLatin1String("--channel") ||
                                a == QLatin1String("--out");
        if (!takesValue) return commandUsageError(err, kMode, QStringLiteral("unknown option \"%1\"").arg(a));
        if (i + 1 >= args.size()) return commandUsageError(err, kMode, QStringLiteral("%1 needs a value").arg(a));
        const QString& v = args[++i];
        if (a == QLatin1String("--root")) {
            root = v;
        } else if (a == QLatin1String("--from") || a == QLatin1String("--to")) {
            ReportMonth m;
            if (!parseReportMonth(v, m))
                return commandUsageError(
                    err, kMode,
                    QStringLiteral("%1 needs a month as YY/M (year 0..99, month 1..12), not \"%2\"").arg(a, v));
            (a == QLatin1String("--from") ? from : to) = m;
        } else if (a == QLatin1String("--channel")) {
            channelArgs << v;
        } else {
            outPath = v;
        }
    }
    if (!root.isEmpty())
        if (const int status = useRootFolder(root, kMode, err)) return status;

    // A refused output is told before anything is read; the files read are checked
    // again once they are known.
    if (!outPath.isEmpty()) {
        try {
            checkOutputTarget(outPath);
        } catch (const std::exception& e) {
            return writeError(err, errorText(e));
        }
    }

    ProgramState state;
    state.reset(computeRootDir());
    if (!loadRegistryOfReports(state, err)) return kOpenMetricsNoRegistry;
    const QString& rootDir = state.Prog.RootDir;
    QList<ReportChannel> registered;
    QString why;
    if (!registryChannels(state, channelArgs, registered, why)) return commandUsageError(err, kMode, why);

    const QDateTime now = programNow();
    const ShamsiCalendar calendar = state.Prog.calendar;
    const _SYSTEMTIME today = clockOf(now, calendar);
    if (!to) to = ReportMonth{today.wYear, today.wMonth};
    if (!from) from = earliestYearFolder(rootDir, now, calendar).value_or(*to);
    const QList<ReportMonth> months = reportMonthsBetween(*from, *to, now, calendar, why);
    if (months.isEmpty()) return commandUsageError(err, kMode, why);

    // A channel held back by a clash of report files has no file of its own.
    QList<OpenMetricsChannel> channels;
    QStringList inputs{deviceStatusPath(rootDir)};
    for (const ReportChannel& c : registered) {
        if (reportFileClash(state, c.registryIndex, c.channel - 1)) continue;
        channels << OpenMetricsChannel{c, state.DevList[c.registryIndex].IP};
        for (const ReportMonth& m : months) {
            try {
                const QString path = reportFilePath(rootDir, m.yy, c.deviceId, c.channel, c.sensorName);
                if (!inputs.contains(path) && QFileInfo::exists(path)) inputs << path;
            } catch (const ReportPathError&) {
                // Named as unreadable by the export.
            }
        }
    }

    OpenMetricsExport result;
    try {
        if (outPath.isEmpty()) {
            out.flush();
            QIODevice* device = out.device();
            result = writeOpenMetrics(rootDir, channels, months, now, calendar, [&](const QByteArray& bytes) {
                if (!device) {
                    out << QString::fromUtf8(bytes);
                    return true;
                }
                return device->write(bytes) == bytes.size();
            });
            out.flush();
        } else {
            checkOutputTarget(outPath, inputs);
            writeStreamAtomically(outPath, [&](QIODevice& file) {
                result = writeOpenMetrics(rootDir, channels, months, now, calendar,
                                          [&](const QByteArray& bytes) { return file.write(bytes) == bytes.size(); });
                return true;
            });
        }
    } catch (const std::exception& e) {
        return writeError(err, errorText(e));
    }
    for (const QString& u : result.unreadable) err << "termivo: " << consoleText(u) << "\n";
    err.flush();
    return result.unreadable.isEmpty() ? kOpenMetricsOk : kOpenMetricsFileUnreadable;
}
