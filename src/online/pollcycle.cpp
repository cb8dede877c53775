#include "online/pollcycle.h"

#include "app/calendar.h"
#include "app/programstate.h"
#include "download/download.h"
#include "link/devicelink.h"
#include "link/linkkind.h"
#include "platform/errors.h"
#include "platform/eventpump.h"

const QString kMonitorCaption = QStringLiteral("Norvak Halvik monitoring ");
const QString kAnswersAgainText = QStringLiteral("دستگاه دوباره پاسخ می دهد");
const QString kNoAnswerText = QStringLiteral("پاسخی از دستگاه نرسید");

QStringList readingTableHeadings()
{
    return {QStringLiteral("دستگاه"), QStringLiteral("کانال"), QStringLiteral("سنسور"),
            QStringLiteral("مقدار"),  QStringLiteral("زمان"),  QStringLiteral("وضعیت")};
}

QStringList readingRowCells(const ChannelReading& c)
{
    QStringList cells{c.deviceName, c.deviceId + QString::number(c.sensor + 1), c.name};
    if (!c.hasReading) return cells << QString() << QString() << QString();
    const _SYSTEMTIME d = Date2Shamsi(c.at.date(), c.at);
    QStringList marks;
    if (c.disconnected) marks << kDisconnectedText;
    if (c.alarm) marks << QStringLiteral("Alarm");
    return cells << (c.disconnected ? kDisconnectedText : c.raw)
                 << QStringLiteral("%1/%2/%3 %4")
                        .arg(d.wYear)
                        .arg(d.wMonth)
                        .arg(d.wDay)
                        .arg(c.at.toString(QStringLiteral("HH:mm:ss")))
                 << marks.join(QLatin1Char(' '));
}

PollCycle::PollCycle(PollHost& host, Clock clock) : m_host(host), m_clock(std::move(clock)) {}

void PollCycle::setDevices(Device_Rec* devices, int last)
{
    m_devices = devices;
    m_last = devices ? last : -1;
    const QList<ChannelReading> old = m_channels;
    m_channels.clear();
    m_answers = QList<DeviceAnswer>(qMax(0, m_last + 1), DeviceAnswer::NotAsked);
    m_answeredAt = QList<QDateTime>(qMax(0, m_last + 1));
    // A device that is still the same (ID and address at its index) stays out until
    // it answers: a new showing or the hourly refresh does not log its outage again.
    for (auto it = m_outages.begin(); it != m_outages.end();) {
        const int i = it.key();
        if (i <= m_last && devices[i].ID == it.value().first && devices[i].IP == it.value().second)
            ++it;
        else
            it = m_outages.erase(it);
    }
    for (int i = 0; i <= m_last; ++i) {
        for (int k = 0; k < 4; ++k) {
            const Sensor_Rec& s = devices[i].Sensor[k];
            if (s.Name.isEmpty()) continue;
            ChannelReading c;
            c.device = i;
            c.sensor = k;
            c.deviceId = devices[i].ID;
            c.deviceName = devices[i].Name;
            c.name = s.Name;
            c.chartIndex = s.ChartIndex;
            // A channel that is still the same keeps its latest reading.
            for (const ChannelReading& o : old) {
                if (o.device == i && o.sensor == k && o.deviceId == c.deviceId && o.name == c.name) {
                    c.hasReading = o.hasReading;
                    c.text = o.text;
                    c.raw = o.raw;
                    c.alarm = o.alarm;
                    c.disconnected = o.disconnected;
                    c.at = o.at;
                }
            }
            m_channels << c;
        }
    }
}

QDateTime PollCycle::hourOf(const QDateTime& t)
{
    return QDateTime(t.date(), QTime(t.time().hour(), 0));
}

void PollCycle::arm()
{
    firstSweep = true;
    const QDateTime now = m_clock();
    if (now.time().minute() >= 1) m_downloadedHour = hourOf(now);
}

void PollCycle::updateReading(const QString& reply, int polledIndex)
{
    const std::optional<DeviceReading> r = decodeReading(reply);
    // The polled device answered only when the reply is its own: a reply that names
    // another device (a late one on a shared line, a device set to another's ID) is
    // that other device's answer.
    if (polledIndex >= 0 && polledIndex < m_answers.size())
        m_answers[polledIndex] =
            r && r->id == m_devices[polledIndex].ID ? DeviceAnswer::Answered : DeviceAnswer::Silent;
    if (!r) return;
    // The device is the one the reply names. The registry may hold one ID on two
    // connections: a reply with the polled entry's own ID is that entry's; a reply
    // naming another ID belongs to the entry with that ID on the polled entry's
    // connection (a late reply on a shared line), else to the first with that ID.
    int device = -1;
    const bool polled = polledIndex >= 0 && polledIndex <= m_last;
    if (polled && m_devices[polledIndex].ID == r->id) device = polledIndex;
    for (int i = 0; i <= m_last && device < 0; ++i)
        if (m_devices[i].ID == r->id && polled && m_devices[i].IP == m_devices[polledIndex].IP) device = i;
    for (int i = 0; i <= m_last && device < 0; ++i)
        if (m_devices[i].ID == r->id) device = i;
    if (device < 0) return;
    m_answers[device] = DeviceAnswer::Answered;
    const QDateTime now = m_clock();
    m_answeredAt[device] = now;
    for (int k = 0; k < 4; ++k) {
        for (int c = 0; c < m_channels.size(); ++c) {
            ChannelReading& ch = m_channels[c];
            if (ch.device != device || ch.sensor != k) continue;
            ch.hasReading = true;
            ch.text = r->texts[k];
            ch.raw = r->raw[k];
            ch.alarm = r->alarm[k];
            ch.disconnected = r->disconnected[k];
            ch.at = now;
            m_host.readingChanged(c);
        }
    }
}

void PollCycle::checkClock(const QString& reply, const QString& id)
{
    for (int i = 0; i <= m_last; ++i) {
        if (m_devices[i].ID == id) {
            checkClockOf(i, reply);
            return;
        }
    }
    Device_Rec unregistered;
    unregistered.ID = id;
    if (const auto lines = clockMismatchLines(reply, id, m_clock(), calendar)) {
        m_host.logLine(deviceLogLine(m_clock(), calendar, unregistered, lines->first()));
        for (qsizetype k = 1; k < lines->size(); ++k) m_host.logLine(lines->at(k));
    }
}

void PollCycle::checkClockOf(int index, const QString& reply)
{
    const Device_Rec& d = m_devices[index];
    const QDateTime now = m_clock();
    if (const auto lines = clockMismatchLines(reply, d.ID, now, calendar)) {
        // The first line names the device (its name, ID and address) with the time.
        m_host.logLine(deviceLogLine(now, calendar, d, lines->first()));
        for (qsizetype k = 1; k < lines->size(); ++k) m_host.logLine(lines->at(k));
    }
}

void PollCycle::deviceOut(int index, const QString& why)
{
    const Device_Rec& d = m_devices[index];
    if (index < m_answers.size()) m_answers[index] = DeviceAnswer::Silent;
    if (m_outages.contains(index)) return;
    m_outages.insert(index, qMakePair(d.ID, d.IP));
    m_host.outageLine(deviceLogLine(m_clock(), calendar, d, why));
}

void PollCycle::deviceAnswered(int index)
{
    if (!m_outages.remove(index)) return;
    m_host.outageLine(deviceLogLine(m_clock(), calendar, m_devices[index], kAnswersAgainText));
}

bool PollCycle::reach(int index)
{
    Device_Rec& d = m_devices[index];
    if (!hasDottedAddress(d.IP) || m_host.connectLan(d)) return true;
    if (!m_host.stopRequested()) deviceOut(index, oneLogLine(linktext::cannotConnect(d.IP)));
    return false;
}

void PollCycle::pollOne(int index)
{
    Device_Rec& d = m_devices[index];
    QString reply;
    try {
        reply = m_host.exchange(kReadingCommand, d);
    } catch (const std::exception& e) {
        // A device that cannot be reached does not stop the poll of the others.
        if (!m_host.stopRequested()) deviceOut(index, oneLogLine(errorText(e)));
        return;
    }
    updateReading(reply, index);
    if (m_answers.value(index) == DeviceAnswer::Answered)
        deviceAnswered(index);
    else if ((reply.isEmpty() || reply == QLatin1String("Time Out")) && !m_host.stopRequested())
        deviceOut(index, kNoAnswerText);
}

void PollCycle::tick()
{
    // 1. The full sweep.
    if (firstSweep) {
        m_host.setTimerEnabled(false);
        m_host.showMessageLogIfAny();
        for (curDev = 0; curDev <= m_last; ++curDev) {
            Device_Rec& d = m_devices[curDev];
            // A device that cannot be reached is logged and passed over: its exchanges
            // would only wait for the same connection again.
            const bool reached = reach(curDev);
            m_host.pump();
            if (m_host.stopRequested()) return;
            if (!reached) continue;
            pollOne(curDev);
            m_host.pump();
            if (m_host.stopRequested()) return;
            if (checkClocks) {
                QString reply;
                try {
                    reply = m_host.exchange(kClockCommand, d);
                } catch (const std::exception&) {
                    // No time reply: nothing to compare.
                }
                if (m_host.stopRequested()) return;
                checkClockOf(curDev, reply);
            }
        }
        // After the sweep curDev is the last entry, so the first periodic poll goes to entry 0.
        curDev = m_last;
        firstSweep = false;
        m_host.setTimerEnabled(true);
    }
    // 2. A stop request ends the polling.
    if (m_host.stopRequested()) m_host.setTimerEnabled(false);
    // 3. The hourly download and the periodic poll.
    if (m_host.windowShowing() && !m_host.stopRequested()) {
        hourlyRefreshIfDue();
        if (m_host.stopRequested()) {
            m_host.setTimerEnabled(false);
            return;
        }
        if (refresh > 0 && m_last >= 0) {
            ++timeCnt;
            if (timeCnt >= refresh) {
                timeCnt = 0;
                curDev = (curDev + 1) % (m_last + 1);
                m_host.setTimerEnabled(false);
                if (reach(curDev)) pollOne(curDev);
                m_host.pump();
                m_host.setTimerEnabled(true);
                if (m_host.stopRequested()) return;
            }
        }
    }
    m_host.setCaption(kMonitorCaption);
    m_host.disconnectLan();
}

void PollCycle::hourlyRefreshIfDue()
{
    // The first tick at or after minute 1 of an hour that has not had its download:
    // a tick held past minute 1 by a poll does not lose the hour's download.
    const QDateTime now = m_clock();
    if (now.time().minute() < 1 || hourOf(now) == m_downloadedHour) return;
    m_downloadedHour = hourOf(now);
    m_host.setTimerEnabled(false);
    m_host.pump();
    m_host.hourlyRefresh();
    m_host.pump();
    m_host.setTimerEnabled(true);
}

void ProgramPollHost::disconnectLan()
{
    if (m_link.lanConnected()) m_link.disconnectLan();
}

void ProgramPollHost::pump()
{
    processPendingEvents();
}

bool ProgramPollHost::stopRequested() const
{
    return m_stop.requested();
}
