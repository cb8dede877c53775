// The records' history for Prometheus:
//   termivo --export-openmetrics [--root DIR] [--from YY/M] [--to YY/M] [--channel ID:N ...] [--out FILE]
// writes every valid hour of the report files of the registry's named channels (or
// the channels given) in the OpenMetrics text format, under the names and labels of
// the live readings (online/metrics.h), so that
//   promtool tsdb create-blocks-from openmetrics FILE DIR
// turns them into Prometheus blocks. An hour is stamped at its start in the local time
// zone; an hour that is not recorded has no sample (gaps stay gaps). The header's
// limits go with the first recorded hour of each day.
#pragma once

#include <functional>

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QStringList>
#include <QTextStream>

#include "views/compliancereport.h"

enum OpenMetricsStatus {
    kOpenMetricsOk = 0,
    kOpenMetricsFileUnreadable =
        1,  // a report file could not be read (the others are written), or the output not written
    kOpenMetricsUsage = 2,
    kOpenMetricsNoRegistry = 4,  // the registry cannot be read or registers no device: nothing written
};

// A channel of the export: the registry channel and the address of its registry line.
struct OpenMetricsChannel
{
    ReportChannel channel;
    QString address;
};

struct OpenMetricsExport
{
    qint64 samples = 0;
    QStringList unreadable;  // "FILE: reason" of every report file that could not be read
};

// Writes the export of channels over months (in order) to sink, in parts, ending with
// "# EOF"; the report files are those of root's year folders, two-digit years taken
// near now and dated in calendar. The sink returns false to stop (a failed write).
OpenMetricsExport writeOpenMetrics(const QString& root, const QList<OpenMetricsChannel>& channels,
                                   const QList<ReportMonth>& months, const QDateTime& now, ShamsiCalendar calendar,
                                   const std::function<bool(const QByteArray&)>& sink);

QString exportOpenMetricsHelp();
// Runs the mode; args without the program name.
int runExportOpenMetrics(const QStringList& args, QTextStream& out, QTextStream& err);
