#include "support/scriptedlink.h"

#include <algorithm>

#include <QRegularExpression>

#include "platform/eventpump.h"

LinkScript::LinkScript() : m_responder([](const Request&) { return Reply{}; }) {}

LinkScript::~LinkScript() = default;

TransportFactory LinkScript::factory()
{
    return [this](LinkKind kind) { return std::make_unique<ScriptedTransport>(*this, kind); };
}

LinkScript::Reply LinkScript::reply(const QString& body, qint64 afterMs)
{
    return {Step{afterMs, (QLatin1Char('$') + body + QLatin1Char('#')).toLatin1(), false}};
}

LinkScript::Reply LinkScript::chunks(const QStringList& parts, qint64 gapMs)
{
    Reply r;
    for (int i = 0; i < parts.size(); ++i) r << Step{i * gapMs, parts[i].toLatin1(), false};
    return r;
}

LinkScript::Reply LinkScript::dropAfter(qint64 ms)
{
    return {Step{ms, {}, true}};
}

void LinkScript::at(qint64 ms, std::function<void()> action)
{
    schedule(ms, std::move(action));
}

void LinkScript::schedule(qint64 t, std::function<void()> action)
{
    // After the actions already due at the same time, so that chunks keep their order.
    auto pos = std::upper_bound(m_timed.begin(), m_timed.end(), t,
                                [](qint64 value, const Timed& timed) { return value < timed.at; });
    m_timed.insert(pos, Timed{t, std::move(action)});
}

qint64 LinkScript::nextDue() const
{
    return m_timed.isEmpty() ? -1 : m_timed.first().at;
}

void LinkScript::advanceTo(qint64 t)
{
    while (!m_timed.isEmpty() && m_timed.first().at <= t) {
        Timed next = m_timed.takeFirst();
        m_now = qMax(m_now, next.at);
        next.action();
    }
    m_now = qMax(m_now, t);
}

void LinkScript::elapse(qint64 ms)
{
    advanceTo(m_now + ms);
}

QStringList LinkScript::commands() const
{
    QStringList out;
    for (const Request& r : m_requests) out << r.command;
    return out;
}

// ---------------------------------------------------------------- the transport

ScriptedTransport::ScriptedTransport(LinkScript& script, LinkKind kind) : m_script(script), m_kind(kind)
{
    m_script.m_transports << this;
}

ScriptedTransport::~ScriptedTransport()
{
    m_script.m_transports.removeAll(this);
}

bool ScriptedTransport::open(const QString& address, int ms)
{
    close();
    ++m_session;
    m_address = address;
    if (m_script.unanswered.contains(address)) wait([] { return false; }, ms);
    if (m_script.refused.contains(address) || m_script.unanswered.contains(address)) {
        m_error = m_script.refused.contains(address) ? QStringLiteral("Connection refused")
                                                     : QStringLiteral("Connect timed out.");
        m_script.m_events << QStringLiteral("open-failed ") + address;
        return false;
    }
    m_error.clear();
    m_up = true;
    m_script.m_events << QStringLiteral("open ") + address;
    return true;
}

void ScriptedTransport::send(const QByteArray& bytes)
{
    if (!m_up) throw LinkError(QStringLiteral("Operation valid only when the link is open"));
    static const QRegularExpression frame(QStringLiteral("^A\\{(.*):(-?[0-9]+),([^,]*)\\}#$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    LinkScript::Request r;
    r.kind = m_kind;
    r.address = m_address;
    r.frame = QString::fromLatin1(bytes);
    const QRegularExpressionMatch m = frame.match(r.frame);
    if (m.hasMatch()) {
        r.command = QLatin1Char('A') + m.captured(1);
        r.deviceId = m.captured(3);
    }
    r.at = m_script.m_now;
    m_script.m_requests << r;
    const int session = m_session;
    for (const LinkScript::Step& step : m_script.m_responder(r)) {
        LinkScript* script = &m_script;
        m_script.schedule(r.at + step.afterMs, [script, this, session, step] {
            // The transport was released, or its link closed or opened anew since: what
            // was under way is lost.
            if (!script->m_transports.contains(this) || session != m_session || !m_up) return;
            if (step.drop) {
                m_up = false;
                m_error = QStringLiteral("The remote host closed the connection");
                m_script.m_events << QStringLiteral("drop ") + m_address;
                if (onLost) onLost(m_error);
                return;
            }
            m_inbox += step.bytes;
            if (onArrival) onArrival();
        });
    }
}

QByteArray ScriptedTransport::receive()
{
    QByteArray out;
    out.swap(m_inbox);
    return out;
}

void ScriptedTransport::close()
{
    if (m_up) m_script.m_events << QStringLiteral("close ") + m_address;
    m_up = false;
    m_inbox.clear();
    ++m_session;
    m_address.clear();
}

bool ScriptedTransport::wait(const std::function<bool()>& cond, int ms)
{
    const qint64 deadline = m_script.m_now + qMax(0, ms);
    for (;;) {
        processPendingEvents();
        if (cond()) return true;
        if (stopping()) return false;
        const qint64 next = m_script.nextDue();
        if (next < 0 || next > deadline) break;
        m_script.advanceTo(next);
    }
    m_script.advanceTo(deadline);
    return cond();
}

void ScriptedTransport::pause(int ms)
{
    m_script.m_events << QStringLiteral("pause %1").arg(ms);
    wait([] { return false; }, ms);
}
