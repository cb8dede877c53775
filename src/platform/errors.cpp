#include "platform/errors.h"

#include "platform/dialogs.h"

QString errorText(const std::exception& e)
{
    if (auto* t = dynamic_cast<const TermivoError*>(&e)) return t->text();
    if (dynamic_cast<const std::bad_alloc*>(&e)) return QStringLiteral("Out of memory");
    return QString::fromUtf8(e.what());
}

void showErrorBox(const QString& text)
{
    dialogs().error(text);
}
