// The one request/response exchange with a logging device and its transports: the
// serial port control MSComm1, the TCP client, the UDP pair of the device search and
// the USSD answer poll. Everything runs on the user-interface thread; waits process
// pending events, so that receive events, Cancel and timers keep working, and return
// as soon as what they wait for has happened.
//
// Only one exchange is under way at a time: a Write2Dev called while another waits
// (from a handler that runs inside the wait) sends nothing and answers empty text.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

#include "app/records.h"
#include "link/linkobserver.h"
#include "platform/errors.h"
#include "platform/serialport.h"

// An error of the serial control or the TCP client during an exchange (port not open,
// connection refused, connection dropped). It ends the exchange and reaches the caller.
class LinkError : public TermivoError
{
public:
    using TermivoError::TermivoError;
};

// The longest wait of the link, in ms: time-out settings beyond it (up to 2147483647
// in the settings file) are taken as this, so that the wait arithmetic cannot overflow.
inline constexpr int kMaxWaitMs = 600000;
int clampedWaitMs(int ms);

// Texts of the link shown to the user.
namespace linktext {
extern const QString kChooseDevice;        // no device chosen
extern const QString kCannotOpenPort;      // five lines, FindComPortAndOpen
extern const QString kPortCannotOpen;      // one line, OpenPort2
extern const QString kNoControlPanel;      // FindComPort0 with an empty port list
extern const QString kNoSerialPort;        // BtnShowComClick, three lines
extern const QString kPortsPresent;        // BtnShowComClick, heading
extern const QString kSearchRequest;       // the device search datagram
QString cannotConnect(const QString& ip);  // Connect2Lan failure, two lines
// The device search cannot listen: another program holds the UDP port.
QString searchPortBusy(quint16 port, const QString& why);
}  // namespace linktext

class DeviceLink : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 kLanPort = 54321;

    explicit DeviceLink(QObject* parent = nullptr);
    ~DeviceLink() override;

    LinkObserver& observer() const { return *m_observer; }
    // Installs o (not owned); nullptr restores the console observer.
    void setObserver(LinkObserver* o);

    SerialPortControl& MSComm1() { return m_MSComm1; }
    // The current TCP client (null when none was made or it was released).
    QTcpSocket* IdTCPClient1() const { return m_client; }

    // ---- the exchange ----
    // Frames str1 for Device1, sends it over the link named by Device1.IP (6 characters
    // or fewer: a serial port; otherwise an IPv4 address), waits, retries and answers the
    // reply: "Time Out" when a serial wait ran out, empty text when a LAN link gave
    // nothing. Throws TermivoError when the transport fails (LinkError for the TCP
    // client, the serial control's own error for a port that is not open).
    QString Write2Dev(const QString& str1, Device_Rec& Device1);
    // Waits up to t_Out ms for a complete serial reply; "Time Out" when none came.
    QString readComport(int t_Out, const Device_Rec& Device1);
    // Receive event of MSComm1.
    void MSComm1Comm();
    bool exchangeUnderWay() const { return m_busy; }

    // ---- network link ----
    bool Connect2Lan(const QString& IP);
    void Mydisconnect();
    bool lanConnected() const;
    // The address the current client talks to (empty when none).
    QString lanHost() const;

    // ---- serial ports ----
    QStringList FindComPort(int Num);
    int FindComPort0();
    void FindComPortAndOpen(const QString& Portnum);
    void OpenPort2(const QString& strPort);
    void BtnShowComClick();

    // ---- device search ----
    void Button2Click();
    void IdUDPServer1UDPRead();
    // Where the search is broadcast (the local network's broadcast address unless set).
    void setSearchAddress(const QHostAddress& a) { m_searchAddress = a; }
    // The UDP port of the search (the devices' port; tests use a free one).
    void setSearchPort(quint16 port) { m_searchPort = port; }
    QHostAddress searchAddress() const { return m_searchAddress; }

    // ---- USSD answer poll ----
    QTimer& Timer1() { return m_Timer1; }
    void Timer1Timer();
    int UssdPollCount = 0;

    // A device was chosen but its link is not open yet.
    bool LinkPending = false;

    // The client's read time-out and the serial reply wait, in ms.
    int lanReadTimeout = 500;
    int serialReplyTimeout = 5000;
    // Times a frame is sent to a serial device that gives no complete reply.
    int serialAttempts = 4;
    // The pause after a LAN connection is closed, before anything else goes on.
    static constexpr int kDisconnectPauseMs = 200;
    int disconnectPauseMs = kDisconnectPauseMs;

    // Closes every link, stops the poll and the search, clears the state (tests).
    void reset();

signals:
    void datagramReceived(const QString& text);

private:
    QTcpSocket* makeClient();
    // Connects a fresh client to ip within ms; false on failure (client kept, error text set).
    bool connectClient(const QString& ip, int ms, QString* why);
    void ensureSerialPortFor(const QString& link);
    QString serialExchange(const QString& frame, const Device_Rec& Device1);
    QString lanExchange(const QString& frame, Device_Rec& Device1);

    LinkObserver* m_observer;
    SerialPortControl m_MSComm1;
    QPointer<QTcpSocket> m_client;
    QUdpSocket* m_udpServer = nullptr;
    QUdpSocket* m_udpClient = nullptr;
    QHostAddress m_searchAddress;
    quint16 m_searchPort = kLanPort;
    QTimer m_Timer1;

    bool m_busy = false;
    QString m_RxBuffer;
    int m_RxDone = 0;
    bool m_rxComplete = false;  // the receive event saw a complete reply
    QString m_serialLost;       // why the serial port went away during this exchange
    QByteArray m_lanBuffer;
};

// The program's one link object (made on first use, released with the application).
DeviceLink& deviceLink();
