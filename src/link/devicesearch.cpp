#include "link/devicesearch.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include "link/devicelink.h"
#include "link/framing.h"
#include "platform/dialogs.h"
#include "platform/guardedconnect.h"

namespace {
// Datagrams taken in one go: a flood of answers leaves the windows time to run
// between batches.
constexpr int kDatagramBatch = 64;
}  // namespace

DeviceSearch::DeviceSearch(DeviceLink& link, QObject* parent)
    : QObject(parent), m_link(link), m_searchAddress(QHostAddress::Broadcast), m_searchPort(DeviceLink::kLanPort)
{
    if (const QString a = qEnvironmentVariable("TERMIVO_SEARCH_ADDRESS"); !a.isEmpty()) m_searchAddress.setAddress(a);
}

DeviceSearch::~DeviceSearch() = default;

void DeviceSearch::searchDevices()
{
    if (!m_udpServer) {
        auto* server = new QUdpSocket(this);
        if (!server->bind(QHostAddress::AnyIPv4, m_searchPort,
                          QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
            // No listener, no answers: say so rather than search in vain; the next click tries again.
            const QString why = server->errorString();
            delete server;
            dialogs().message(linktext::searchPortBusy(m_searchPort, why));
            return;
        }
        m_udpServer = server;
        connectGuarded(m_udpServer, &QUdpSocket::readyRead, this, &DeviceSearch::readSearchAnswers);
    }
    m_link.observer().clearJson();
    m_link.observer().showReplies();
    if (!m_udpClient) m_udpClient = new QUdpSocket(this);
    m_udpClient->writeDatagram(asciiBytes(linktext::kSearchRequest), m_searchAddress, m_searchPort);
}

void DeviceSearch::readSearchAnswers()
{
    for (int n = 0; m_udpServer && m_udpServer->hasPendingDatagrams(); ++n) {
        if (n == kDatagramBatch) {
            // The rest after the windows had their turn.
            QTimer::singleShot(0, this, guardedHandler([this] { readSearchAnswers(); }));
            return;
        }
        const QNetworkDatagram d = m_udpServer->receiveDatagram();
        QString text;
        for (const char c : d.data()) text.append(QChar(uchar(c) < 128 ? uchar(c) : uchar('?')));
        m_link.observer().showReplies();
        m_link.observer().jsonLine(text);
        emit datagramReceived(text);
    }
}
