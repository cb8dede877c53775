#include "link/linkpool.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>

#include <QMap>
#include <QThread>
#include <QTimer>

#include "link/devicelink.h"
#include "link/linkkind.h"
#include "platform/eventpump.h"
#include "platform/guardedconnect.h"

namespace {

// What a worker's device shows, kept until the device ends.
class KeptLines : public LinkObserver
{
public:
    void sendLine(const QString& frame) override { m_lines.append({Kind::Send, frame}); }
    void rxLine(const QString& reply) override { m_lines.append({Kind::Rx, reply}); }
    void jsonLine(const QString& line) override { m_lines.append({Kind::Json, line}); }
    void reportLine(const QString& line) override { m_lines.append({Kind::Report, line}); }
    void message(const QString& text) override { m_lines.append({Kind::Message, text}); }

    void replayTo(LinkObserver& o) const
    {
        for (const Line& l : m_lines) {
            switch (l.kind) {
                case Kind::Send:
                    o.sendLine(l.text);
                    break;
                case Kind::Rx:
                    o.rxLine(l.text);
                    break;
                case Kind::Json:
                    o.jsonLine(l.text);
                    break;
                case Kind::Report:
                    o.reportLine(l.text);
                    break;
                case Kind::Message:
                    o.message(l.text);
                    break;
            }
        }
    }

private:
    enum class Kind { Send, Rx, Json, Report, Message };
    struct Line
    {
        Kind kind;
        QString text;
    };
    QList<Line> m_lines;
};

// The message log lines of the workers, handed to the run's log on the calling thread.
class LogQueue : public MessageLogSink
{
public:
    void addLine(const QString& line) override
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_lines << line;
    }
    void drainTo(MessageLogSink& log)
    {
        QStringList lines;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            lines.swap(m_lines);
        }
        for (const QString& l : lines) log.addLine(l);
    }

private:
    std::mutex m_mutex;
    QStringList m_lines;
};

// One device read on a worker thread.
struct Worker
{
    int device = 0;
    std::unique_ptr<QThread> thread;
    KeptLines shown;
    std::atomic<bool> ended{false};
    std::exception_ptr error;
};

QString idKey(const QString& id)
{
    return id.toCaseFolded();
}

}  // namespace

LinkPool::LinkPool(DeviceLink& link, std::function<bool()> stopRequested, LinkObserver& observer, MessageLogSink& log,
                   int inFlight)
    : m_link(link),
      m_stopRequested(std::move(stopRequested)),
      m_observer(observer),
      m_log(log),
      m_inFlight(qMax(1, inFlight))
{
}

bool LinkPool::sideBySide() const
{
    return m_inFlight > 1 && !m_link.hasTransportFactory();
}

void LinkPool::run(const QList<PoolDevice>& devices, const Read& read, const Done& done, const Progress& progress)
{
    const auto tell = [&](int count, const QList<int>& reading) {
        if (progress) progress(count, reading);
    };
    if (!sideBySide()) {
        // One after another on the caller's link, as a device read alone.
        DeviceSlot slot{m_link, m_observer, m_log};
        for (int i = 0; i < devices.size() && !m_stopRequested(); ++i) {
            tell(i, {i});
            read(i, slot);
            done(i);
        }
        tell(int(devices.size()), {});
        return;
    }

    LogQueue queue;
    const LinkSettings settings = m_link.settings();
    QList<bool> started(devices.size(), false);
    QList<std::shared_ptr<Worker>> workers;
    int serialDevice = -1;  // the serial device being read on this thread
    int ended = 0;
    std::exception_ptr firstError;
    // Devices that ended and wait for the ones before them to be handed over (null: a
    // device read on this thread, whose lines were shown as they came).
    QMap<int, std::shared_ptr<Worker>> endedDevices;
    int nextDone = 0;
    // Hands over the ended devices in registry order, passing those a stop left unread.
    const auto handOver = [&](bool stopping) {
        while (nextDone < devices.size()) {
            if (endedDevices.contains(nextDone)) {
                const std::shared_ptr<Worker> w = endedDevices.take(nextDone);
                if (w) w->shown.replayTo(m_observer);
                if (w && w->error && !firstError) firstError = w->error;
                if (!firstError) done(nextDone);
            } else if (!(stopping && !started[nextDone])) {
                break;
            }
            ++nextDone;
        }
    };

    const auto reading = [&] {
        QList<int> list;
        for (const auto& w : workers) list << w->device;
        if (serialDevice >= 0) list << serialDevice;
        std::sort(list.begin(), list.end());
        return list;
    };
    // Whether device i may start now: nothing in flight at its address or with its ID.
    const auto free = [&](int i) {
        const QString id = idKey(devices[i].id);
        for (const int r : reading())
            if (devices[r].address == devices[i].address || idKey(devices[r].id) == id) return false;
        return true;
    };
    const auto inFlight = [&] { return int(workers.size()) + (serialDevice >= 0 ? 1 : 0); };

    bool servicing = false;
    // Hands over what ended devices did and starts the LAN devices that may start.
    const auto service = [&] {
        if (servicing) return;
        servicing = true;
        queue.drainTo(m_log);
        bool changed = false;
        for (qsizetype k = 0; k < workers.size();) {
            const std::shared_ptr<Worker> w = workers[k];
            if (!w->ended.load()) {
                ++k;
                continue;
            }
            w->thread->wait();
            workers.removeAt(k);
            ++ended;
            changed = true;
            endedDevices.insert(w->device, w);
        }
        handOver(m_stopRequested() || firstError);
        for (int i = 0; i < devices.size() && !m_stopRequested() && !firstError && inFlight() < m_inFlight; ++i) {
            if (started[i] || isSerialLinkText(devices[i].address) || !free(i)) continue;
            started[i] = true;
            changed = true;
            auto w = std::make_shared<Worker>();
            w->device = i;
            Worker* raw = w.get();
            w->thread.reset(QThread::create([raw, &read, &settings, &queue, this] {
                try {
                    // The link and its transports belong to this thread: its waits process
                    // this thread's events.
                    DeviceLink link(m_link.stopRequest(), settings);
                    link.setObserver(&raw->shown);
                    DeviceSlot slot{link, raw->shown, queue};
                    read(raw->device, slot);
                    // The device's connection is closed as between two devices read one
                    // after another, with the pause after it; its address stays taken
                    // meanwhile.
                    if (link.lanConnected()) link.disconnectLan();
                } catch (...) {
                    raw->error = std::current_exception();
                }
                raw->ended.store(true);
            }));
            workers << w;
            w->thread->start();
        }
        if (changed) tell(ended, reading());
        servicing = false;
    };

    // While a serial device is read on this thread, its waits process the events that
    // keep the LAN devices going.
    QTimer tick;
    tick.setInterval(10);
    connectGuarded(&tick, &QTimer::timeout, &tick, [&] { service(); });
    tick.start();
    tell(0, {});
    for (;;) {
        service();
        const bool stopping = m_stopRequested() || firstError;
        int next = -1;
        for (int i = 0; i < devices.size() && !stopping && next < 0; ++i)
            if (!started[i] && isSerialLinkText(devices[i].address) && inFlight() < m_inFlight && free(i)) next = i;
        if (next >= 0) {
            started[next] = true;
            serialDevice = next;
            tell(ended, reading());
            DeviceSlot slot{m_link, m_observer, m_log};
            try {
                read(next, slot);
            } catch (...) {
                if (!firstError) firstError = std::current_exception();
            }
            serialDevice = -1;
            ++ended;
            endedDevices.insert(next, nullptr);
            handOver(m_stopRequested() || firstError);
            tell(ended, reading());
            continue;
        }
        bool left = false;
        for (int i = 0; i < devices.size() && !stopping; ++i) left = left || !started[i];
        if (workers.isEmpty() && !left) break;
        waitUntil(
            [&] {
                for (const auto& w : workers)
                    if (w->ended.load()) return true;
                return false;
            },
            50);
    }
    tick.stop();
    queue.drainTo(m_log);
    handOver(true);
    if (firstError) std::rethrow_exception(firstError);
}
