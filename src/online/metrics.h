// The names and labels under which the program's readings reach Prometheus, shared by
// the live readings (--poll-once --format prometheus) and the records' history
// (--export-openmetrics), so that one query finds both.
//
// A channel's readings go to one metric per quantity, its unit in the name
// (termivo_temperature_celsius, ...). The quantity is the one the month view's value
// axis caption gives the channel's report file (valueAxisCaption: the header's device
// and sensor types and the file's name); a caption without a known unit goes to
// termivo_reading with a "unit" label. Every channel series carries the labels
// device (the ID), address (the connection: two registry lines may share an ID),
// device_name, channel (1..4) and sensor.
#pragma once

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// One metric family: its name, its help text and, for the names that end in a unit,
// that unit (OpenMetrics' "# UNIT"). unitLabel is set only for the fallback
// termivo_reading: the value of its "unit" label.
struct MetricFamily
{
    QString name;
    QString help;
    QString unit;
    QString unitLabel;
};

// The family of a value axis caption (valueAxisCaption's texts).
MetricFamily readingFamilyOfCaption(const QString& caption);
// The family of a report file by its header's device and sensor types and its path.
MetricFamily readingFamilyOfReport(const QString& devType, const QString& sensorType, const QString& path);

// The other families of the channels and devices.
extern const MetricFamily kLowerLimitFamily;
extern const MetricFamily kUpperLimitFamily;
extern const MetricFamily kAlarmFamily;
extern const MetricFamily kDisconnectedFamily;
extern const MetricFamily kDeviceAnsweredFamily;
extern const MetricFamily kDeviceLastAnswerFamily;
extern const MetricFamily kPollTimestampFamily;

// Every metric name the program exports (the dashboard and the alert rules may
// query these only).
QStringList exportedMetricNames();

// A label value escaped as both text formats require: backslash, double quote and
// line feed.
QString metricLabelValue(const QString& value);

// The labels of a channel, "{device=...,sensor=...}", with the fallback's unit label
// when the family has one; and of a device.
struct MetricChannel
{
    QString deviceId;
    QString address;
    QString deviceName;
    int channel = 0;  // 1..4
    QString sensor;
};
QString channelMetricLabels(const MetricChannel& c, const MetricFamily& family = {});
QString deviceMetricLabels(const QString& deviceId, const QString& address, const QString& deviceName);

// What a channel's current report file says about it: the family of its readings
// (temperature when there is no readable file) and the header's limits.
struct ChannelMetricInfo
{
    MetricFamily family;
    std::optional<double> lowerLimit;
    std::optional<double> upperLimit;
};
// From the first line of a report file at path (read in full only up to its header).
ChannelMetricInfo channelMetricInfoOfHeader(const QString& header, const QString& path);
// From the report file of year yy of the channel under root; a file that is missing or
// cannot be read gives the temperature family without limits.
ChannelMetricInfo channelMetricInfo(const QString& root, int yy, const MetricChannel& c);

// One sample line of the text format: name, labels, a blank, the value, a line feed.
QString sampleLine(const QString& name, const QString& labels, const QString& value);
// A moment as a sample value: seconds since the epoch (with milliseconds when it has them).
QString metricSeconds(const QDateTime& at);

// "# HELP", "# TYPE" (and, for OpenMetrics, "# UNIT") lines of a family.
QString metricFamilyHeader(const MetricFamily& family, bool openMetrics);
