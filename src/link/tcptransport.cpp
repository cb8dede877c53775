#include "link/tcptransport.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTcpSocket>

TcpTransport::TcpTransport(quint16 port, QObject* parent) : QObject(parent), m_port(port) {}

TcpTransport::~TcpTransport()
{
    if (m_client) m_client->abort();
}

void TcpTransport::release()
{
    if (m_client) {
        m_client->disconnectFromHost();
        m_client->abort();
        m_client->deleteLater();
    }
    m_client = nullptr;
    m_host.clear();
}

bool TcpTransport::open(const QString& address, int ms)
{
    release();
    m_error.clear();
    m_client = new QTcpSocket(this);
    m_host = address;
    QHostAddress host;
    if (!host.setAddress(address)) {
        m_error = QCoreApplication::translate("Termivo", "Invalid address: %1").arg(address);
        return false;
    }
    m_client->connectToHost(host, m_port);
    QPointer<QTcpSocket> client = m_client;
    wait(
        [&] {
            return !client || client->state() == QAbstractSocket::ConnectedState ||
                   client->state() == QAbstractSocket::UnconnectedState;
        },
        ms);
    if (client && client->state() == QAbstractSocket::ConnectedState) return true;
    m_error = client && client->error() != QAbstractSocket::UnknownSocketError ? client->errorString()
              : stopping() ? QCoreApplication::translate("Termivo", "Connect stopped.")
                           : QCoreApplication::translate("Termivo", "Connect timed out.");
    if (client) client->abort();
    return false;
}

bool TcpTransport::isUp() const
{
    return m_client && m_client->state() == QAbstractSocket::ConnectedState;
}

QString TcpTransport::address() const
{
    return m_client ? m_host : QString();
}

void TcpTransport::send(const QByteArray& bytes)
{
    if (!isUp()) throw LinkError(QStringLiteral("Connection Closed Gracefully."));
    if (m_client->write(bytes) != bytes.size()) throw LinkError(m_client->errorString());
    m_client->flush();
}

QByteArray TcpTransport::receive()
{
    return m_client ? m_client->readAll() : QByteArray();
}

void TcpTransport::close()
{
    release();
}
