// The online poll: on every tick of a one-second timer, a full sweep over the
// registered devices when one is due (readings and, when asked, clock checks), a
// periodic poll of one device every few ticks, and the hourly download. The timer,
// the clock, the exchange and the windows are the host's; the cycle only decides.
#pragma once

#include <functional>

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

#include "app/records.h"
#include "online/readings.h"

class DeviceLink;
class StopRequest;

// The caption every tick gives the online window.
extern const QString kMonitorCaption;

// What the cycle needs from its surroundings (the online window, or a run without
// windows).
class PollHost
{
public:
    virtual ~PollHost() = default;
    // One exchange (the main window's Send2XKQ): the reply text. May throw on a
    // transport failure.
    virtual QString exchange(const QString& command, Device_Rec& device) = 0;
    // Opens the LAN connection to device; false when it cannot be opened.
    virtual bool connectLan(Device_Rec& device) = 0;
    // Closes the LAN connection when one is open.
    virtual void disconnectLan() = 0;
    // Lets the user interface process pending events.
    virtual void pump() = 0;
    virtual bool stopRequested() const = 0;
    virtual bool windowShowing() const = 0;
    virtual void setTimerEnabled(bool on) = 0;
    // Shows the message log window when it holds lines.
    virtual void showMessageLogIfAny() = 0;
    virtual void logLine(const QString& line) = 0;
    // A device's outage began (it could not be reached or gave no answer) or ended (it
    // answers again): one line each, by default in the message log.
    virtual void outageLine(const QString& line) { logLine(line); }
    // Downloads all devices and shows the window afresh (which re-arms the sweep).
    virtual void hourlyRefresh() = 0;
    virtual void setCaption(const QString& caption) = 0;
    // A channel's reading changed (its legend title and table row).
    virtual void readingChanged(int channelIndex) = 0;
};

// A host over a device link and a stop request, both outliving it: the online window
// and the one sweep without a window.
class ProgramPollHost : public PollHost
{
public:
    ProgramPollHost(DeviceLink& link, const StopRequest& stop) : m_link(link), m_stop(stop) {}
    void disconnectLan() override;
    void pump() override;
    bool stopRequested() const override;

protected:
    DeviceLink& link() const { return m_link; }

private:
    DeviceLink& m_link;
    const StopRequest& m_stop;
};

// One named channel of the registry and its latest reading.
struct ChannelReading
{
    int device = 0;  // registry index
    int sensor = 0;  // 0..3
    QString deviceId;
    QString deviceName;
    QString name;
    int chartIndex = 0;
    bool hasReading = false;
    QString text;  // as shown, marks included
    QString raw;   // as the device sent it
    bool alarm = false;
    bool disconnected = false;
    QDateTime at;  // when it was read

    // The legend title: the plain name until a reading arrives.
    QString title() const { return hasReading ? readingTitle(deviceId, sensor, name, text) : name; }
};

// The cells of a channel's row in the readings table: device, channel (ID and
// sensor number), sensor, reading, time of the reading (Solar Hijri date and time),
// marks ("D.C.", "Alarm"). Empty reading, time and marks before the first reading.
QStringList readingRowCells(const ChannelReading& c);
QStringList readingTableHeadings();

// Whether a device answered its last reading request.
enum class DeviceAnswer { NotAsked, Answered, Silent };

// What the message log says when a device that was out answers again.
extern const QString kAnswersAgainText;
// Why a connected device gave no reading: nothing came.
extern const QString kNoAnswerText;

class PollCycle
{
public:
    using Clock = std::function<QDateTime()>;
    PollCycle(PollHost& host, Clock clock);

    // The registry the cycle polls: entries 0..last of devices (not owned; the
    // devices must outlive the cycle). Rebuilds the channel list and forgets readings.
    void setDevices(Device_Rec* devices, int last);
    // Ticks between two single-device polls (0 or less: none), and clock checks in
    // the full sweep.
    int refresh = 0;
    bool checkClocks = false;
    // The calendar the clock check dates the computer's clock by.
    ShamsiCalendar calendar = ShamsiCalendar::Official;

    // The window was shown: the next tick sweeps all devices. An hour whose minute 1
    // has passed counts as downloaded (the window opens after a download).
    void arm();
    // One tick of the timer.
    void tick();
    // Decodes a reading reply of registry entry polledIndex and shows its four
    // readings for the entry the reply names (the polled one when it names its ID).
    void updateReading(const QString& reply, int polledIndex);
    // Checks a time reply against the clock and logs a mismatch under the first
    // registry entry with the ID.
    void checkClock(const QString& reply, const QString& id);
    // Whether device (registry index) is out: it could not be reached or gave no
    // answer, and has not answered since. An outage is logged when it begins and
    // when it ends, not at every poll.
    bool isOut(int device) const { return m_outages.contains(device); }

    bool firstSweep = true;
    int curDev = 0;
    int timeCnt = 0;

    const QList<ChannelReading>& channels() const { return m_channels; }
    DeviceAnswer answerOf(int device) const { return m_answers.value(device, DeviceAnswer::NotAsked); }
    // When the registry entry last answered (invalid: not since setDevices).
    QDateTime answeredAt(int device) const { return m_answeredAt.value(device); }
    int lastDevice() const { return m_last; }

private:
    // Connects device index when it is a LAN device: false when it cannot be reached
    // (its outage logged, unless a stop request ended the connection).
    bool reach(int index);
    // The reading of device index.
    void pollOne(int index);
    void checkClockOf(int index, const QString& reply);
    void deviceOut(int index, const QString& why);
    void deviceAnswered(int index);
    void hourlyRefreshIfDue();
    static QDateTime hourOf(const QDateTime& t);

    PollHost& m_host;
    Clock m_clock;
    Device_Rec* m_devices = nullptr;
    int m_last = -1;
    QList<ChannelReading> m_channels;
    QList<DeviceAnswer> m_answers;
    QList<QDateTime> m_answeredAt;
    QMap<int, QPair<QString, QString>> m_outages;  // registry index: the ID and address that went out
    QDateTime m_downloadedHour;
};
