#include "link/linkobserver.h"

#include <cstdio>

#include "platform/dialogs.h"

namespace {
void printLine(const QString& text)
{
    const QByteArray b = consoleText(text).toUtf8();
    std::fprintf(stdout, "%s\n", b.constData());
    std::fflush(stdout);
}
}  // namespace

void ConsoleLinkObserver::sendLine(const QString& frame)
{
    if (m_verbose) printLine(QStringLiteral("> ") + frame);
}

void ConsoleLinkObserver::rxLine(const QString& reply)
{
    if (m_verbose) printLine(QStringLiteral("< ") + reply);
}

void ConsoleLinkObserver::jsonLine(const QString& line)
{
    printLine(line);
}

void ConsoleLinkObserver::ussdLine(const QString& answer)
{
    printLine(answer);
}

void ConsoleLinkObserver::captionText(const QString& text)
{
    if (m_verbose) printLine(text);
}

void ConsoleLinkObserver::message(const QString& text)
{
    const QByteArray b = consoleText(text).toUtf8();
    std::fprintf(stderr, "%s\n", b.constData());
    std::fflush(stderr);
}

void ConsoleLinkObserver::waitLabel(WaitLabel which, const QString& text)
{
    QString& last = m_lastLabel[int(which)];
    if (text == last) return;
    last = text;
    if (which != WaitLabel::Cnt && !text.isEmpty()) printLine(text);
}

void ConsoleLinkObserver::reportLine(const QString& line)
{
    printLine(line);
}
