// Where the warnings of unattended work go: the message log window, or standard
// error in a run without windows.
#pragma once

#include <QString>

class MessageLogSink
{
public:
    virtual ~MessageLogSink() = default;
    virtual void addLine(const QString& line) = 0;
};

// The sink of the runs without windows: each line on standard error.
MessageLogSink& standardErrorLog();
