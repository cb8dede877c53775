#include "link/ussdpoll.h"

#include "link/devicelink.h"
#include "link/replies.h"
#include "platform/guardedconnect.h"

UssdPoll::UssdPoll(DeviceLink& link, Device_Rec& chosen, QObject* parent)
    : QObject(parent), m_link(link), m_chosen(chosen)
{
    m_Timer1.setInterval(3000);
    connectGuarded(&m_Timer1, &QTimer::timeout, this, &UssdPoll::pollUssdAnswer);
}

void UssdPoll::startPolling()
{
    m_pollCount = 0;
    m_Timer1.start();
}

void UssdPoll::pollUssdAnswer()
{
    if (m_link.exchangeUnderWay()) return;  // a tick during an exchange does not start a second one
    ++m_pollCount;
    if (m_pollCount >= 10) m_Timer1.stop();
    const QString reply = m_link.exchange(QStringLiteral("ASetFullPara(\"USSDResp\":{\"Read\":\"\"}"), m_chosen);
    const std::optional<QString> answer = ussdAnswer(reply);
    if (!answer) return;
    m_link.observer().ussdLine(*answer);
    m_link.exchange(QStringLiteral("ASetFullPara(\"USSDResp\":{\"Reset\":\"\"})"), m_chosen);
    m_Timer1.stop();
}
