#include "platform/ui/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
ShellOpener& opener()
{
    static ShellOpener o;
    return o;
}
}  // namespace

void shellOpen(const QString& target)
{
    if (opener()) {
        opener()(target);
        return;
    }
    const QUrl url = target.contains(QLatin1String("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
    QDesktopServices::openUrl(url);
}

void setShellOpener(ShellOpener o)
{
    opener() = std::move(o);
}
