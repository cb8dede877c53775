// One link to a device as the exchange sees it: opened to an address, frames sent,
// what arrived taken, closed. The serial version runs over the serial port control,
// the network version over a TCP client; tests put a scripted one in their place.
//
// Everything runs on the user-interface thread. A transport also owns the way the
// exchange waits on it and pauses around it: the real ones process pending events
// while they wait, a scripted one lets time pass at once.
#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QString>

#include "platform/errors.h"

// An error of the serial control or the TCP client during an exchange (port not open,
// connection refused, connection dropped). It ends the exchange and reaches the caller.
class LinkError : public TermivoError
{
public:
    using TermivoError::TermivoError;
};

enum class LinkKind { Serial, Network };

class LinkTransport
{
public:
    virtual ~LinkTransport() = default;

    // Opens the link to address: "COMn" on a serial transport, an IPv4 address on a
    // network one; a network transport gives up after ms. Whatever was open before is
    // closed first. False when the link cannot be opened, with the reason in error().
    // A port number the serial port control rejects throws TermivoError.
    virtual bool open(const QString& address, int ms) = 0;
    virtual bool isUp() const = 0;
    // The address of the open link (empty when none was opened or it was closed).
    virtual QString address() const = 0;
    // Sends the bytes in order. Throws TermivoError (LinkError on a network link) when
    // they cannot go out, for example on a link that is not open.
    virtual void send(const QByteArray& bytes) = 0;
    // Everything that arrived and was not taken yet; the receive buffer is then empty.
    virtual QByteArray receive() = 0;
    // Closes the link and releases it; closing a closed link does nothing.
    virtual void close() = 0;
    // Why the last opening failed or the link went away on its own.
    virtual QString error() const = 0;
    // Raises or lowers the request-to-send line (serial links; others have none).
    virtual void setRequestToSend(bool /*on*/) {}

    // Waits until cond holds or ms milliseconds have passed, with arrivals delivered
    // meanwhile; answers cond() at the end. A stop request (stopRequested) ends the
    // wait at once, and so the opening of a network link.
    virtual bool wait(const std::function<bool()>& cond, int ms) = 0;
    // Lets ms milliseconds pass, events going on; a stop request ends it at once.
    virtual void pause(int ms) = 0;

    // Set by the owner of the transport: called as soon as bytes have arrived (the
    // receive event of a serial port), and when the link went away on its own, with
    // the system's reason.
    std::function<void()> onArrival;
    std::function<void(const QString& why)> onLost;
    // Set by the owner: whether the long work the link serves was asked to stop (Cancel,
    // a signal). Checked throughout every wait and pause.
    std::function<bool()> stopRequested;

protected:
    bool stopping() const { return stopRequested && stopRequested(); }
};

// Makes the transport for one kind of link.
using TransportFactory = std::function<std::unique_ptr<LinkTransport>(LinkKind)>;

// The waits and pauses of the real transports: the event pump.
class PumpingTransport : public LinkTransport
{
public:
    bool wait(const std::function<bool()>& cond, int ms) override;
    void pause(int ms) override;
};
