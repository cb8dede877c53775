#include "platform/eventpump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

void processPendingEvents()
{
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool waitUntil(const std::function<bool()>& cond, int ms)
{
    QElapsedTimer clock;
    clock.start();
    if (!QCoreApplication::instance()) {
        while (!cond() && clock.elapsed() < ms) QThread::msleep(1);
        return cond();
    }
    // A short periodic timer wakes the loop so that the deadline and conditions
    // changed outside the event queue are seen promptly.
    QTimer tick;
    tick.setInterval(5);
    tick.start();
    while (!cond()) {
        const qint64 left = ms - clock.elapsed();
        if (left <= 0) return cond();
        QEventLoop loop;
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void sleepPumping(int ms)
{
    waitUntil([] { return false; }, ms);
}
