// Devices played in-process behind the link: a scripted transport for fast unit tests
// of the exchange and of its callers. Each request frame is answered by the script's
// responder with a reply that arrives in chunks after given delays; what was opened,
// sent, closed and paused is recorded. Time passes only on the script's own clock,
// while the link waits or pauses, so silence, late replies and dropped links cost no
// real time and tests never depend on how long something took.
//
// Waits and pauses end early on the transport's stop request, as the real ones do.
//
//   LinkScript script;
//   link.setTransportFactory(script.factory());
//   script.respond([](const LinkScript::Request& r) { return LinkScript::reply(...); });
#pragma once

#include <functional>
#include <memory>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "link/transport.h"

class ScriptedTransport;

class LinkScript
{
public:
    // One request as the device saw it.
    struct Request
    {
        LinkKind kind = LinkKind::Network;
        QString address;   // the link it came over ("COM1", "127.0.0.1")
        QString frame;     // as sent: A{...:sum,id}#
        QString command;   // the command the frame carries, with its leading "A"
        QString deviceId;  // the ID in the frame
        qint64 at = 0;     // when it was sent, on the script's clock
    };
    // What happens after a request: chunks arriving after their delays (from the
    // request), and perhaps the link going away.
    struct Step
    {
        qint64 afterMs = 0;
        QByteArray bytes;   // arrives (empty: nothing)
        bool drop = false;  // the link goes away
    };
    using Reply = QList<Step>;
    using Responder = std::function<Reply(const Request&)>;

    LinkScript();
    ~LinkScript();

    // The factory to install with DeviceLink::setTransportFactory. The script must
    // outlive the transports it makes.
    TransportFactory factory();

    // The replies: every request goes to responder (by default: silence).
    void respond(Responder responder) { m_responder = std::move(responder); }
    // Openings of these addresses fail (a device that refuses the connection).
    QStringList refused;
    // Openings of these addresses get no answer: each waits its whole time and fails
    // (a device switched off), unless a stop request ends it first.
    QStringList unanswered;

    // Replies to build: the body as the device frames it ("$" + body + "#") at once,
    // or after ms; silence; a link that goes away after ms.
    static Reply reply(const QString& body, qint64 afterMs = 0);
    static Reply chunks(const QStringList& parts, qint64 gapMs);
    static Reply silence() { return {}; }
    static Reply dropAfter(qint64 ms);

    // Runs action when the clock reaches ms (absolute), inside a wait or a pause.
    void at(qint64 ms, std::function<void()> action);
    // Lets ms pass outside the link (between two exchanges): what was due arrives.
    void elapse(qint64 ms);
    qint64 now() const { return m_now; }

    const QList<Request>& requests() const { return m_requests; }
    QStringList commands() const;
    // "open COM1", "open-failed 127.0.0.2", "close 127.0.0.1", "pause 200", "drop COM1".
    const QStringList& events() const { return m_events; }

private:
    friend class ScriptedTransport;
    struct Timed
    {
        qint64 at;
        std::function<void()> action;
    };
    // Runs every timed action due by t, in time order, and sets the clock to t.
    void advanceTo(qint64 t);
    qint64 nextDue() const;
    void schedule(qint64 t, std::function<void()> action);

    Responder m_responder;
    qint64 m_now = 0;
    QList<Timed> m_timed;
    QList<Request> m_requests;
    QStringList m_events;
    QList<ScriptedTransport*> m_transports;
};

class ScriptedTransport : public LinkTransport
{
public:
    ScriptedTransport(LinkScript& script, LinkKind kind);
    ~ScriptedTransport() override;

    bool open(const QString& address, int ms) override;
    bool isUp() const override { return m_up; }
    QString address() const override { return m_address; }
    void send(const QByteArray& bytes) override;
    QByteArray receive() override;
    void close() override;
    QString error() const override { return m_error; }
    bool wait(const std::function<bool()>& cond, int ms) override;
    void pause(int ms) override;

private:
    friend class LinkScript;
    LinkScript& m_script;
    LinkKind m_kind;
    bool m_up = false;
    QString m_address;
    QString m_error;
    QByteArray m_inbox;
    int m_session = 0;  // openings so far: what a closed link was due to receive never comes
};
