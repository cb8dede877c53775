#include "link/serialtransport.h"

#include "link/replies.h"
#include "platform/errors.h"
#include "platform/guardedconnect.h"
#include "platform/serialport.h"

SerialTransport::SerialTransport(SerialPortControl& control) : m_control(control)
{
    // The receive event of the port control: a handler, behind the error boundary.
    connectGuarded(&m_control, &SerialPortControl::OnComm, this, [this] {
        if (onArrival) onArrival();
    });
    connect(&m_control, &SerialPortControl::portLost, this, [this](const QString& why) {
        m_error = why;
        if (onLost) onLost(why);
    });
}

bool SerialTransport::open(const QString& address, int /*ms*/)
{
    m_error.clear();
    if (m_control.PortOpen()) m_control.setPortOpen(false);
    m_control.setCommPort(FindNumber(address));  // a number the control rejects throws
    try {
        m_control.setPortOpen(true);
    } catch (const TermivoError& e) {
        m_error = e.text();
        return false;
    }
    return true;
}

bool SerialTransport::isUp() const
{
    return m_control.PortOpen();
}

QString SerialTransport::address() const
{
    return m_control.PortOpen() ? QStringLiteral("COM%1").arg(m_control.CommPort()) : QString();
}

void SerialTransport::send(const QByteArray& bytes)
{
    m_control.setOutput(QString::fromLatin1(bytes));
}

QByteArray SerialTransport::receive()
{
    return m_control.Input().toLatin1();
}

void SerialTransport::close()
{
    m_control.setPortOpen(false);
}

void SerialTransport::setRequestToSend(bool on)
{
    m_control.setRTSEnable(on);
}
