// The one request/response exchange with a logging device over its link (a serial
// port or a TCP connection, each a LinkTransport), the UDP pair of the device search
// and the USSD answer poll. Everything runs on the user-interface thread; waits
// process pending events, so that receive events, Cancel and timers keep working, and
// return as soon as what they wait for has happened.
//
// Only one exchange is under way at a time: an exchange started while another waits
// (from a handler that runs inside the wait) sends nothing and answers empty text.
//
// A stop request (StopFlag: Cancel, closing the online or main window, SIGINT or
// SIGTERM in a mode without windows) ends every wait of the link at once: the serial
// reply wait, the network connection, the network reply wait and the pauses. A serial
// exchange then answers "Time Out" after its remaining attempts, each ending as
// quickly; a network exchange sends nothing more and answers empty text.
#pragma once

#include <memory>

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUdpSocket>

#include "app/records.h"
#include "link/linkobserver.h"
#include "link/transport.h"
#include "platform/errors.h"
#include "platform/serialport.h"

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
// The status line after an exchange: a reply came, none came, the link failed, a stop.
extern const QString kReadyStatus;
extern const QString kNoAnswerStatus;
extern const QString kLinkFailedStatus;
extern const QString kStoppedStatus;
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

    // The serial port control that the serial transport runs over.
    SerialPortControl& MSComm1() { return m_MSComm1; }

    // Makes the transports from now on (tests install scripted ones); an empty function
    // restores the serial port and the TCP client. The transports made before are
    // closed and released.
    void setTransportFactory(TransportFactory factory);

    // ---- the exchange ----
    // Frames request for device, sends it over the link named by device.IP (a serial
    // port text or a network address, isSerialLinkText), waits, retries and answers the
    // reply: "Time Out" when a serial wait ran out, empty text when a network link gave
    // nothing. Throws TermivoError when the transport fails (LinkError for the network
    // link and a serial port that went away, the serial control's own error for a port
    // that is not open).
    QString exchange(const QString& request, Device_Rec& device);
    QString Write2Dev(const QString& str1, Device_Rec& Device1) { return exchange(str1, Device1); }
    // Waits up to ms for a complete serial reply; "Time Out" when none came.
    QString awaitSerialReply(int ms);
    QString readComport(int t_Out, const Device_Rec& /*Device1*/) { return awaitSerialReply(t_Out); }
    // Takes the characters that arrived on the serial link into the reply under way.
    void takeSerialArrival();
    bool exchangeUnderWay() const { return m_busy; }

    // ---- network link ----
    // Opens a fresh network link to address (closing the one before) and reports the
    // outcome to the observer; the caller tells a failure where its run reports
    // (linktext::cannotConnect), so that no unattended run waits on a message box.
    bool connectLan(const QString& address);
    // Closes and releases the network link, then pauses.
    void disconnectLan();
    void Mydisconnect() { disconnectLan(); }
    bool lanConnected() const;
    // The pauses of long work between connections and retries: ms pass with events
    // going on; a stop request (StopFlag) ends the pause at once.
    void pause(int ms);
    // The address the network link talks to (empty when none).
    QString lanHost() const;

    // ---- serial ports ----
    QStringList FindComPort(int Num);
    int FindComPort0();
    void FindComPortAndOpen(const QString& Portnum);
    // Opens the link a person chose: a network address or a serial port. False when
    // a network link could not be opened; the caller tells the person.
    bool OpenPort2(const QString& strPort);
    // Shows the serial ports in a message (or that there are none).
    void showSerialPorts();

    // ---- device search ----
    // Listens for answers and broadcasts the search request.
    void searchDevices();
    // Shows the search answers that arrived.
    void readSearchAnswers();
    // Where the search is broadcast (the local network's broadcast address unless set).
    void setSearchAddress(const QHostAddress& a) { m_searchAddress = a; }
    // The UDP port of the search (the devices' port; tests use a free one).
    void setSearchPort(quint16 port) { m_searchPort = port; }
    QHostAddress searchAddress() const { return m_searchAddress; }

    // ---- USSD answer poll ----
    QTimer& Timer1() { return m_Timer1; }
    // One tick of the poll: asks for the operator's answer and shows it once it came.
    void pollUssdAnswer();
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

    // Closes every link, stops the poll and the search, restores the real transports
    // and clears the state (tests).
    void reset();

signals:
    void datagramReceived(const QString& text);

private:
    LinkTransport& serial();
    LinkTransport& lan();
    std::unique_ptr<LinkTransport> makeTransport(LinkKind kind);
    // Opens the network link to address within ms; false on failure (why set).
    bool openLan(const QString& address, int ms, QString* why);
    void ensureSerialPortFor(const QString& link);
    QString serialExchange(const QString& frame, const Device_Rec& Device1);
    QString lanExchange(const QString& frame, Device_Rec& Device1);

    LinkObserver* m_observer;
    SerialPortControl m_MSComm1;
    TransportFactory m_factory;
    std::unique_ptr<LinkTransport> m_serial;
    std::unique_ptr<LinkTransport> m_lan;
    int m_lanOpenings = 0;  // network links opened so far
    QUdpSocket* m_udpServer = nullptr;
    QUdpSocket* m_udpClient = nullptr;
    QHostAddress m_searchAddress;
    quint16 m_searchPort = kLanPort;
    QTimer m_Timer1;

    bool m_busy = false;
    QString m_RxBuffer;
    int m_RxDone = 0;
    bool m_rxComplete = false;  // the receive event saw a complete reply
    bool m_answered = false;    // the exchange under way got a reply that is whole
    QString m_serialLost;       // why the serial port went away during this exchange
    QByteArray m_lanBuffer;
};

// The program's one link object (made on first use, released with the application).
DeviceLink& deviceLink();
