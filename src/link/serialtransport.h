// The serial link: a transport over the serial port control (9600 baud 8N1). The
// control itself stays the program's one serial control, which the windows also use.
#pragma once

#include <QObject>

#include "link/transport.h"

class SerialPortControl;

class SerialTransport : public QObject, public PumpingTransport
{
    Q_OBJECT
public:
    // control is not owned and must outlive the transport.
    explicit SerialTransport(SerialPortControl& control);

    bool open(const QString& address, int ms) override;
    bool isUp() const override;
    // "COMn" of the control's port while it is open.
    QString address() const override;
    void send(const QByteArray& bytes) override;
    QByteArray receive() override;
    void close() override;
    QString error() const override { return m_error; }
    void setRequestToSend(bool on) override;

private:
    SerialPortControl& m_control;
    QString m_error;
};
