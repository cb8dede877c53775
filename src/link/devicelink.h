// The one request/response exchange with a logging device over its link (a serial
// port or a TCP connection, each a LinkTransport). The ports are found and opened by
// the port finder (portfinder.h), devices are searched for by DeviceSearch and the
// operator's answer is polled by UssdPoll, all through this link. Everything runs on
// the user-interface thread; waits
// process pending events, so that receive events, Cancel and timers keep working, and
// return as soon as what they wait for has happened.
//
// Only one exchange is under way at a time: an exchange started while another waits
// (from a handler that runs inside the wait) sends nothing and answers empty text.
//
// A stop request (the StopRequest the link is given: Cancel, closing the online or
// main window, SIGINT or SIGTERM in a mode without windows) ends every wait of the link at once: the serial
// reply wait, the network connection, the network reply wait and the pauses. A serial
// exchange then answers "Time Out" after its remaining attempts, each ending as
// quickly; a network exchange sends nothing more and answers empty text.
#pragma once

#include <memory>

#include <QObject>
#include <QString>
#include <QStringList>

#include "app/records.h"
#include "link/linkobserver.h"
#include "link/linksettings.h"
#include "link/transport.h"
#include "platform/errors.h"
#include "platform/serialport.h"

class StopRequest;

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
    // stop is the request that ends the link's waits; it outlives the link.
    explicit DeviceLink(const StopRequest& stop, LinkSettings settings = {}, QObject* parent = nullptr);
    ~DeviceLink() override;

    // The waits, pauses and attempts, and the ports folder; set whole.
    const LinkSettings& settings() const { return m_settings; }
    void setSettings(LinkSettings settings) { m_settings = std::move(settings); }

    LinkObserver& observer() const { return *m_observer; }
    // Installs o (not owned); nullptr restores the console observer.
    void setObserver(LinkObserver* o);

    // The serial port control that the serial transport runs over.
    SerialPortControl& MSComm1() { return m_MSComm1; }

    // Makes the transports from now on (tests install scripted ones); an empty function
    // restores the serial port and the TCP client. The transports made before are
    // closed and released.
    void setTransportFactory(TransportFactory factory);

    // Whether the long work the link serves was asked to stop.
    bool stopRequested() const;

    // ---- the exchange ----
    // Frames request for device, sends it over the link named by device.IP (a serial
    // port text or a network address, isSerialLinkText), waits, retries and answers the
    // reply: "Time Out" when a serial wait ran out, empty text when a network link gave
    // nothing. Throws TermivoError when the transport fails (LinkError for the network
    // link and a serial port that went away, the serial control's own error for a port
    // that is not open).
    QString exchange(const QString& request, Device_Rec& device);
    QString Write2Dev(const QString& str1, Device_Rec& Device1) { return exchange(str1, Device1); }
    bool exchangeUnderWay() const { return m_busy; }

    // ---- network link ----
    // Opens a fresh network link to address (closing the one before) and reports the
    // outcome to the observer; the caller tells a failure where its run reports
    // (linktext::cannotConnect), so that no unattended run waits on a message box.
    bool connectLan(const QString& address);
    // Closes and releases the network link, then pauses.
    void disconnectLan();
    bool lanConnected() const;
    // The pauses of long work between connections and retries: ms pass with events
    // going on; a stop request ends the pause at once.
    void pause(int ms);
    // The address the network link talks to (empty when none).
    QString lanHost() const;

    // ---- the serial port and the open link (for the port finder) ----
    // Opens serial port COMnumber under the ports folder; false when it cannot be
    // opened. A number the serial control rejects throws TermivoError.
    bool openSerialPort(int number);
    bool serialPortUp();
    // Raises or lowers the request-to-send line of the serial port.
    void setRequestToSend(bool on);
    // Closes the serial port and the network link (without the pause after it).
    void closeLinks();

    // A device was chosen but its link is not open yet: set when a choice starts,
    // cleared when a serial port opens or a network connection is made.
    bool linkPending() const { return m_linkPending; }
    void setLinkPending(bool pending) { m_linkPending = pending; }

    // Closes every link, restores the real transports, and takes the state and the
    // waits and tries of a link made afresh; the ports folder stays.
    void reset();

private:
    LinkTransport& serial();
    LinkTransport& lan();
    std::unique_ptr<LinkTransport> makeTransport(LinkKind kind);
    // Opens the network link to address within ms; false on failure (why set).
    bool openLan(const QString& address, int ms, QString* why);
    // The time-out of a network connection.
    int connectWaitMs() const;
    void ensureSerialPortFor(const QString& link);
    QString serialExchange(const QString& frame, const Device_Rec& Device1);
    QString lanExchange(const QString& frame, Device_Rec& Device1);
    // Waits up to ms for a complete serial reply; "Time Out" when none came.
    QString awaitSerialReply(int ms);
    // Takes the characters that arrived on the serial link into the reply under way.
    void takeSerialArrival();

    const StopRequest& m_stop;
    LinkSettings m_settings;
    ConsoleLinkObserver m_console;  // the observer of runs without windows
    LinkObserver* m_observer;
    SerialPortControl m_MSComm1;
    TransportFactory m_factory;
    std::unique_ptr<LinkTransport> m_serial;
    std::unique_ptr<LinkTransport> m_lan;
    int m_lanOpenings = 0;  // network links opened so far
    bool m_linkPending = false;

    bool m_busy = false;
    QString m_RxBuffer;
    int m_RxDone = 0;
    bool m_rxComplete = false;  // the receive event saw a complete reply
    bool m_answered = false;    // the exchange under way got a reply that is whole
    QString m_serialLost;       // why the serial port went away during this exchange
    QByteArray m_lanBuffer;
};

// TRANSITIONAL: the program's one link object (made on first use, released with the
// application), until each run makes its own.
DeviceLink& deviceLink();
