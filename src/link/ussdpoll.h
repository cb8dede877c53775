// The poll for the operator's answer to a USSD code sent to the chosen device: every
// tick (3 s unless set otherwise) asks the device for the answer; once it came it is
// shown through the link's observer, the device's copy is reset and the poll stops.
// It stops by itself after ten ticks.
#pragma once

#include <QObject>
#include <QTimer>

#include "app/records.h"

class DeviceLink;

class UssdPoll : public QObject
{
    Q_OBJECT
public:
    // Asks chosen (the device chosen in the windows, which outlives the poll) over link.
    UssdPoll(DeviceLink& link, Device_Rec& chosen, QObject* parent = nullptr);

    QTimer& Timer1() { return m_Timer1; }
    // Starts the poll with the tick count from 0 (a code was just sent).
    void startPolling();
    // Starts the poll again, counting on from where it stopped.
    void continuePolling() { m_Timer1.start(); }
    // One tick of the poll: asks for the operator's answer and shows it once it came.
    void pollUssdAnswer();
    // The ticks since the poll was started afresh.
    int pollCount() const { return m_pollCount; }

private:
    DeviceLink& m_link;
    Device_Rec& m_chosen;
    QTimer m_Timer1;
    int m_pollCount = 0;
};
