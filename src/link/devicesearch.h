// The device search: a request broadcast over UDP and the answers of the devices
// that heard it, shown through the link's observer.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

class DeviceLink;
class QUdpSocket;

class DeviceSearch : public QObject
{
    Q_OBJECT
public:
    // Reports through link's observer. The address is the local network's broadcast
    // address, or TERMIVO_SEARCH_ADDRESS when set (the demo and anyone who plays
    // devices on this machine point it at a loopback broadcast address).
    explicit DeviceSearch(DeviceLink& link, QObject* parent = nullptr);
    ~DeviceSearch() override;

    // Listens for answers and broadcasts the search request.
    void searchDevices();
    // Shows the search answers that arrived.
    void readSearchAnswers();
    void setSearchAddress(const QHostAddress& a) { m_searchAddress = a; }
    // The UDP port of the search (the devices' port; tests use a free one).
    void setSearchPort(quint16 port) { m_searchPort = port; }
    QHostAddress searchAddress() const { return m_searchAddress; }

signals:
    void datagramReceived(const QString& text);

private:
    DeviceLink& m_link;
    QUdpSocket* m_udpServer = nullptr;
    QUdpSocket* m_udpClient = nullptr;
    QHostAddress m_searchAddress;
    quint16 m_searchPort;
};
