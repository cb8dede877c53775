// The network link: a TCP client to a device's address at port 54321. Every opening
// makes a fresh client; the one before is closed and released.
#pragma once

#include <QObject>
#include <QPointer>

#include "link/transport.h"

class QTcpSocket;

class TcpTransport : public QObject, public PumpingTransport
{
    Q_OBJECT
public:
    explicit TcpTransport(quint16 port, QObject* parent = nullptr);
    ~TcpTransport() override;

    bool open(const QString& address, int ms) override;
    bool isUp() const override;
    QString address() const override;
    void send(const QByteArray& bytes) override;
    QByteArray receive() override;
    void close() override;
    QString error() const override { return m_error; }

private:
    void release();

    quint16 m_port;
    QPointer<QTcpSocket> m_client;
    QString m_host;
    QString m_error;
};
