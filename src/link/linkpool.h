// Several devices read side by side: each LAN device in flight has a device link of
// its own in a worker thread, with its own connection, waits, pauses and retries; the
// pauses around one device's connections no longer hold up the others.
//
// The exchange is written as sequential code whose waits process pending events, so
// two devices cannot share one thread: a wait nested in another's would have to end
// first. A worker thread runs the same sequence as a device read alone, on its own
// event loop, and the calling thread keeps its windows alive meanwhile.
//
// - At most inFlight devices are read at once. Serial devices are read on the calling
//   thread with the caller's link, one at a time (a port is one line). So is every
//   device when inFlight is 1, or when the caller's link makes its transports with an
//   installed factory (a scripted device serves one thread).
// - Two devices with the same address, or the same ID in any letter case, are never
//   read at once: one device is not connected twice, and a report file has one writer.
// - Devices are handed over in registry order: done runs for a device once it and
//   every device before it have ended (or a stop left them unread), so that what a run
//   gives does not depend on which device answered first.
// - What a worker's device shows is kept and handed to the run's observer with the
//   device, all its lines together (traffic and report lines; the bars and labels
//   of one device are not the fleet's). Its message log lines reach the run's log as
//   they are written, in their order.
// - A worker's device ends with its connection closed and the link's pause after it.
// - A stop request starts no further device; those in flight end as their waits do.
#pragma once

#include <functional>

#include <QList>
#include <QString>

#include "app/messagelog.h"
#include "link/linkobserver.h"

class DeviceLink;

// What a read works with: the link, where its progress and its message log lines go.
struct DeviceSlot
{
    DeviceLink& link;
    LinkObserver& observer;
    MessageLogSink& log;
};

struct PoolDevice
{
    QString address;  // the device's link text (Device_Rec::IP)
    QString id;
};

class LinkPool
{
public:
    // link, observer and log are the run's; the link's stop request ends every wait of
    // every link, stopRequested (the run's) starts no further device.
    LinkPool(DeviceLink& link, std::function<bool()> stopRequested, LinkObserver& observer, MessageLogSink& log,
             int inFlight);

    using Read = std::function<void(int device, DeviceSlot& slot)>;
    using Done = std::function<void(int device)>;
    // done devices of all, and the devices being read now (indexes, in registry order).
    using Progress = std::function<void(int done, const QList<int>& reading)>;

    // Reads devices in registry order as far as the limits allow. read runs on a worker
    // thread or on the calling thread and must touch nothing shared but through its
    // slot; done runs on the calling thread after each device, in registry order;
    // progress on the calling thread whenever either count changes. An exception of a
    // read reaches the caller after every device in flight has ended.
    void run(const QList<PoolDevice>& devices, const Read& read, const Done& done, const Progress& progress = {});

    // Whether this run reads devices side by side.
    bool sideBySide() const;

private:
    DeviceLink& m_link;
    std::function<bool()> m_stopRequested;
    LinkObserver& m_observer;
    MessageLogSink& m_log;
    int m_inFlight;
};
