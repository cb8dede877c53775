// The expert access of the settings page: a code typed into ConfigPass unlocks the
// locked parameter controls and the erase command. The code is a fixed two-digit
// number followed by the hour of the computer's local clock (0..23, no leading zero),
// so it changes on the hour; access once granted stays until it is reset (another
// device chosen, a download run started from the download dialog).
#pragma once

#include <functional>

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

// The two digits at the start of the code.
constexpr int kExpertCodePrefix = 73;

// The code accepted at the time now: "73" + hour, e.g. "739" at 9:59 and "7310" at 10:00.
QString expertAccessCode(const QDateTime& now);
// Whether the whole typed text is the code of the time now.
bool isExpertAccessCode(const QString& typed, const QDateTime& now);

// The expert access state (ExpertMode of the communication window). Whoever holds
// something that the access unlocks (the erase button, the locked parameter controls)
// registers a listener with a context object; grant() calls the listeners whose
// context still exists, reset() only clears the state: what was unlocked stays
// unlocked.
class ExpertAccess
{
public:
    bool granted() const { return m_granted; }
    // Sets the state and calls the listeners, in the order they were added.
    void grant();
    void reset() { m_granted = false; }
    void onGranted(QObject* context, std::function<void()> listener);

private:
    struct Listener
    {
        QPointer<QObject> context;
        std::function<void()> call;
    };
    bool m_granted = false;
    QList<Listener> m_listeners;
};
