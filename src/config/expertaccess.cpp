#include "config/expertaccess.h"

QString expertAccessCode(const QDateTime& now)
{
    return QString::number(kExpertCodePrefix) + QString::number(now.time().hour());
}

bool isExpertAccessCode(const QString& typed, const QDateTime& now)
{
    return typed == expertAccessCode(now);
}

void ExpertAccess::onGranted(QObject* context, std::function<void()> listener)
{
    m_listeners.append(Listener{context, std::move(listener)});
}

void ExpertAccess::grant()
{
    m_granted = true;
    m_listeners.removeIf([](const Listener& l) { return l.context.isNull(); });
    const QList<Listener> now = m_listeners;  // a listener may add another
    for (const Listener& l : now)
        if (l.context) l.call();
}
