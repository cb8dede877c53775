#include "online/metrics.h"

#include <QFileInfo>

#include "platform/textfile.h"
#include "reports/loader.h"
#include "reports/reportfile.h"
#include "views/month.h"

namespace {

MetricFamily family(const char* name, const char* help, const char* unit = "")
{
    return {QLatin1String(name), QLatin1String(help), QLatin1String(unit), {}};
}

// The quantities of the value axis captions, each with the unit its name ends in.
struct CaptionFamily
{
    const QString& caption;
    MetricFamily family;
};

const QList<CaptionFamily>& captionFamilies()
{
    static const QList<CaptionFamily> table{
        {kTemperatureCaption,
         family("termivo_temperature_celsius", "Temperature read by a channel, in degrees Celsius.", "celsius")},
        {kHumidityCaption,
         family("termivo_relative_humidity_percent", "Relative humidity read by a channel, in percent.", "percent")},
        {kPressureCaption, family("termivo_pressure_pascals",
                                  "Pressure read by a channel, in pascals as the report files give it.", "pascals")},
        {kVoltageCaption, family("termivo_voltage_volts", "Voltage read by a channel, in volts.", "volts")},
        {kPpmCaption,
         family("termivo_concentration_ppm", "Concentration read by a channel, in parts per million.", "ppm")},
    };
    return table;
}

const MetricFamily kFallbackFamily =
    family("termivo_reading", "Reading of a channel whose quantity has no known unit; the unit label names it.");

}  // namespace

const MetricFamily kLowerLimitFamily =
    family("termivo_lower_limit", "Lower limit of a channel from its report file's header, in the channel's unit.");
const MetricFamily kUpperLimitFamily =
    family("termivo_upper_limit", "Upper limit of a channel from its report file's header, in the channel's unit.");
const MetricFamily kAlarmFamily = family("termivo_reading_alarm", "1 when the device reports the channel in alarm.");
const MetricFamily kDisconnectedFamily =
    family("termivo_reading_disconnected", "1 when the channel's sensor is disconnected (it reads +-150).");
const MetricFamily kDeviceAnsweredFamily =
    family("termivo_device_answered", "1 when the registry line's device answered the reading request of the poll.");
const MetricFamily kDeviceLastAnswerFamily =
    family("termivo_device_last_answer_timestamp_seconds",
           "When the registry line's device answered the reading request, in seconds since the epoch.", "seconds");
const MetricFamily kPollTimestampFamily =
    family("termivo_poll_timestamp_seconds",
           "When the poll of every registered device ended, in seconds since the epoch.", "seconds");

MetricFamily readingFamilyOfCaption(const QString& caption)
{
    for (const CaptionFamily& c : captionFamilies())
        if (c.caption == caption) return c.family;
    MetricFamily f = kFallbackFamily;
    f.unitLabel = caption;
    return f;
}

MetricFamily readingFamilyOfReport(const QString& devType, const QString& sensorType, const QString& path)
{
    return readingFamilyOfCaption(valueAxisCaption(devType, sensorType, sensorNameOfFile(path)));
}

QStringList exportedMetricNames()
{
    QStringList names;
    for (const CaptionFamily& c : captionFamilies()) names << c.family.name;
    names << kFallbackFamily.name;
    for (const MetricFamily* f : {&kLowerLimitFamily, &kUpperLimitFamily, &kAlarmFamily, &kDisconnectedFamily,
                                  &kDeviceAnsweredFamily, &kDeviceLastAnswerFamily, &kPollTimestampFamily})
        names << f->name;
    return names;
}

QString metricLabelValue(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('"'))
            out += QStringLiteral("\\\"");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else
            out += c;
    }
    return out;
}

QString channelMetricLabels(const MetricChannel& c, const MetricFamily& family)
{
    QString labels = QStringLiteral("{device=\"%1\",address=\"%2\",device_name=\"%3\",channel=\"%4\",sensor=\"%5\"")
                         .arg(metricLabelValue(c.deviceId), metricLabelValue(c.address), metricLabelValue(c.deviceName),
                              QString::number(c.channel), metricLabelValue(c.sensor));
    if (!family.unitLabel.isEmpty()) labels += QStringLiteral(",unit=\"%1\"").arg(metricLabelValue(family.unitLabel));
    return labels + QLatin1Char('}');
}

QString deviceMetricLabels(const QString& deviceId, const QString& address, const QString& deviceName)
{
    return QStringLiteral("{device=\"%1\",address=\"%2\",device_name=\"%3\"}")
        .arg(metricLabelValue(deviceId), metricLabelValue(address), metricLabelValue(deviceName));
}

ChannelMetricInfo channelMetricInfoOfHeader(const QString& header, const QString& path)
{
    ReportHeaderFields fields;
    bool unreadable = false;
    const bool whole = readReportHeaderFields(header, fields, &unreadable);
    ChannelMetricInfo info;
    info.family = readingFamilyOfReport(fields.devType, fields.sensorType, path);
    if (whole && !unreadable) {
        info.lowerLimit = fields.lowLimit;
        info.upperLimit = fields.highLimit;
    }
    return info;
}

ChannelMetricInfo channelMetricInfo(const QString& root, int yy, const MetricChannel& c)
{
    try {
        const QString path = reportFilePath(root, yy, c.deviceId, c.channel, c.sensor);
        if (QFileInfo::exists(path)) {
            const TextFile file = readTextFile(path);
            if (!file.lines.isEmpty()) return channelMetricInfoOfHeader(file.lines.first(), path);
        }
    } catch (const std::exception&) {
        // No readable file: the channel is taken as it is before its first download.
    }
    return {readingFamilyOfCaption(kTemperatureCaption), {}, {}};
}

QString metricFamilyHeader(const MetricFamily& family, bool openMetrics)
{
    QString t = QStringLiteral("# HELP %1 %2\n# TYPE %1 gauge\n").arg(family.name, family.help);
    if (openMetrics && !family.unit.isEmpty()) t += QStringLiteral("# UNIT %1 %2\n").arg(family.name, family.unit);
    return t;
}

QString metricSeconds(const QDateTime& at)
{
    const qint64 ms = at.toMSecsSinceEpoch();
    if (ms % 1000 == 0) return QString::number(ms / 1000);
    return QString::number(double(ms) / 1000, 'f', 3);
}

QString sampleLine(const QString& name, const QString& labels, const QString& value)
{
    return name + labels + QLatin1Char(' ') + value + QLatin1Char('\n');
}
