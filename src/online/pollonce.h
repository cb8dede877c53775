// One sweep of the online poll without any window, for other tools:
//   termivo --poll-once [--root DIR] [--format text|prometheus] [--out FILE]
// reads the registry and settings of the root folder (the folder of the executable
// unless --root names another), asks every registered device for its readings (and
// its clock when the settings ask for clock checks) and prints the result:
// - text: one line per named channel in registry order, the chart legend's title
//   (a2_Freezer : -18.5(Alarm), or the plain name without a reading), then the clock
//   check lines;
// - prometheus: the text exposition format of the node exporter's textfile
//   collector (online/metrics.h): per channel its reading under its quantity's name,
//   the limits of its report file of the current year, alarm and disconnected; per
//   registry line whether and when its device answered; the end of the sweep.
// With --out the output replaces FILE whole (write, then rename) instead of going to
// standard output; FILE follows the rule of every mode's output (checkOutputTarget).
// A device that gives no readings (silent, an answer that is no reading, another
// device's ID) is told in one line on standard error.
#pragma once

#include <QList>
#include <QStringList>
#include <QTextStream>

#include "app/commandline.h"
#include "online/metrics.h"
#include "online/pollcycle.h"

enum PollOnceStatus {
    kPollOnceOk = 0,                // every device answered
    kPollOnceSilent = 1,            // at least one device did not answer
    kPollOnceNotWritten = 1,        // the output was refused or could not be written
    kPollOnceUsage = kUsageStatus,  // bad command line
    kPollOnceStopped = 3,           // stopped by SIGINT/SIGTERM
    kPollOnceNoRegistry = 4,        // the registry could not be read
};

// args without the program name; out receives the readings, err the messages.
int runPollOnce(const QStringList& args, QTextStream& out, QTextStream& err);

// The two output formats over the channels and the devices' answers of one sweep.
QStringList pollTextLines(const QList<ChannelReading>& channels, const QStringList& clockLines);

// One sweep as the Prometheus format gives it.
struct PollSweep
{
    // A registry line: its device's ID, address and name, whether it answered the
    // reading request and when.
    struct Line
    {
        QString id;
        QString address;
        QString name;
        bool answered = false;
        QDateTime answeredAt;
    };
    QList<ChannelReading> channels;
    QList<ChannelMetricInfo> infos;  // per channel: the quantity and limits of its report file
    QList<Line> lines;               // per registry index
    QDateTime end;                   // when the sweep ended
};
QString pollPrometheusText(const PollSweep& sweep);
