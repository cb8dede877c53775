#include "platform/dialogs.h"

#include <cstdio>

#include <QCoreApplication>
#include <QThread>

namespace {
// The dialogs in use, installed by the windowed program and by tests; none: the console's.
Dialogs* g_dialogs = nullptr;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): injected service

Dialogs& consoleDialogs()
{
    static ConsoleDialogs console;
    return console;
}

Dialogs& installedDialogs()
{
    return g_dialogs ? *g_dialogs : consoleDialogs();
}

void printLine(const QString& prefix, const QString& text)
{
    const QByteArray b = consoleText(prefix + text).toUtf8();
    std::fprintf(stderr, "%s\n", b.constData());
    std::fflush(stderr);
}

const char* kindName(ScriptedDialogs::Kind k)
{
    switch (k) {
        case ScriptedDialogs::Kind::Message:
            return "message";
        case ScriptedDialogs::Kind::Error:
            return "error";
        case ScriptedDialogs::Kind::Confirm:
            return "confirm";
        case ScriptedDialogs::Kind::Input:
            return "input";
        case ScriptedDialogs::Kind::OpenFile:
            return "open file";
        case ScriptedDialogs::Kind::SaveFile:
            return "save file";
        case ScriptedDialogs::Kind::PrintSetup:
            return "print set-up";
        case ScriptedDialogs::Kind::Choice:
            return "choice";
    }
    return "?";
}
}  // namespace

QString consoleText(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

namespace {
// A box asked for on a worker thread (a device read side by side with others) is shown
// by the user-interface thread; the worker waits for the answer. That thread processes
// events while it waits for its workers, so the box is shown at once.
class MainThreadDialogs : public Dialogs
{
public:
    void message(const QString& text) override
    {
        onMain([&] { installedDialogs().message(text); });
    }
    void error(const QString& text) override
    {
        onMain([&] { installedDialogs().error(text); });
    }
    bool confirm(const QString& caption, const QString& text) override
    {
        bool r = false;
        onMain([&] { r = installedDialogs().confirm(caption, text); });
        return r;
    }
    std::optional<QString> input(const QString& caption, const QString& prompt, const QString& value) override
    {
        std::optional<QString> r;
        onMain([&] { r = installedDialogs().input(caption, prompt, value); });
        return r;
    }
    QString openFile(const QString& caption, const QString& filter, const QString& initial) override
    {
        QString r;
        onMain([&] { r = installedDialogs().openFile(caption, filter, initial); });
        return r;
    }
    QString saveFile(const QString& caption, const QString& filter, const QString& initial) override
    {
        QString r;
        onMain([&] { r = installedDialogs().saveFile(caption, filter, initial); });
        return r;
    }
    bool printSetup(PrintSetup& setup) override
    {
        bool r = false;
        onMain([&] { r = installedDialogs().printSetup(setup); });
        return r;
    }
    int choose(const QString& caption, const QString& text, const QStringList& buttons) override
    {
        int r = -1;
        onMain([&] { r = installedDialogs().choose(caption, text, buttons); });
        return r;
    }

private:
    template <class F>
    static void onMain(F&& f)
    {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<F>(f), Qt::BlockingQueuedConnection);
    }
};

bool offMainThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() != app->thread();
}
}  // namespace

Dialogs& dialogs()
{
    static MainThreadDialogs fromWorkers;
    return offMainThread() ? fromWorkers : installedDialogs();
}
void setDialogs(Dialogs* d)
{
    g_dialogs = d;
}

bool Dialogs::printSetup(PrintSetup&)
{
    return false;
}

int Dialogs::choose(const QString&, const QString&, const QStringList&)
{
    return -1;
}

void ConsoleDialogs::message(const QString& text)
{
    printLine(QString(), text);
}
void ConsoleDialogs::error(const QString& text)
{
    printLine(QStringLiteral("error: "), text);
}
bool ConsoleDialogs::confirm(const QString&, const QString& text)
{
    printLine(QString(), text);
    return true;
}
std::optional<QString> ConsoleDialogs::input(const QString&, const QString& prompt, const QString&)
{
    printLine(QString(), prompt);
    return std::nullopt;
}
QString ConsoleDialogs::openFile(const QString&, const QString&, const QString&)
{
    return {};
}
QString ConsoleDialogs::saveFile(const QString&, const QString&, const QString&)
{
    return {};
}

ScriptedDialogs& ScriptedDialogs::expect(Kind kind, const QString& text, const std::optional<QString>& answer)
{
    Expectation e{kind, text, answer.value_or(QString()), answer.has_value(), std::nullopt};
    m_expected.append(e);
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectPrintSetup(const std::optional<PrintSetup>& answer)
{
    Expectation e{Kind::PrintSetup, QString(), QString(), answer.has_value(), answer};
    m_expected.append(e);
    return *this;
}

ScriptedDialogs& ScriptedDialogs::allow(Kind kind)
{
    m_allowed.append(kind);
    return *this;
}

QStringList ScriptedDialogs::texts(Kind kind) const
{
    QStringList out;
    for (const auto& s : m_shown)
        if (s.kind == kind) out << s.text;
    return out;
}

QStringList ScriptedDialogs::problems() const
{
    QStringList out = m_unexpected;
    for (const auto& e : m_expected)
        out << QStringLiteral("expected %1 box was not shown: %2").arg(QLatin1String(kindName(e.kind)), e.text);
    return out;
}

void ScriptedDialogs::clear()
{
    m_expected.clear();
    m_allowed.clear();
    m_shown.clear();
    m_unexpected.clear();
}

std::optional<QString> ScriptedDialogs::take(Kind kind, const QString& text)
{
    m_shown.append({kind, text});
    if (!m_expected.isEmpty() && m_expected.front().kind == kind && text.contains(m_expected.front().text)) {
        const Expectation e = m_expected.takeFirst();
        if (!e.hasAnswer) return std::nullopt;
        return e.answer;
    }
    if (!m_allowed.contains(kind))
        m_unexpected << QStringLiteral("unexpected %1 box: %2").arg(QLatin1String(kindName(kind)), text);
    return std::nullopt;
}

void ScriptedDialogs::message(const QString& text)
{
    take(Kind::Message, text);
}
void ScriptedDialogs::error(const QString& text)
{
    take(Kind::Error, text);
}
bool ScriptedDialogs::confirm(const QString&, const QString& text)
{
    auto a = take(Kind::Confirm, text);
    return a && *a != QLatin1String("cancel");
}
std::optional<QString> ScriptedDialogs::input(const QString&, const QString& prompt, const QString&)
{
    return take(Kind::Input, prompt);
}
QString ScriptedDialogs::openFile(const QString& caption, const QString&, const QString&)
{
    return take(Kind::OpenFile, caption).value_or(QString());
}
QString ScriptedDialogs::saveFile(const QString& caption, const QString&, const QString&)
{
    return take(Kind::SaveFile, caption).value_or(QString());
}
bool ScriptedDialogs::printSetup(PrintSetup& setup)
{
    m_lastPrintSetup = setup;
    std::optional<PrintSetup> answer;
    if (!m_expected.isEmpty() && m_expected.front().kind == Kind::PrintSetup) answer = m_expected.front().printSetup;
    if (!take(Kind::PrintSetup, QString())) return false;
    if (!answer) return false;
    setup = *answer;
    return true;
}
int ScriptedDialogs::choose(const QString&, const QString& text, const QStringList& buttons)
{
    const std::optional<QString> answer = take(Kind::Choice, text);
    if (!answer) return -1;
    const int index = static_cast<int>(buttons.indexOf(*answer));
    if (index < 0) m_unexpected << QStringLiteral("choice box has no button \"%1\": %2").arg(*answer, text);
    return index;
}
