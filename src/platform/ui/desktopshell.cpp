#include "platform/ui/desktopshell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

bool DesktopShell::open(const QString& target)
{
    const QUrl url = QFileInfo(target).isAbsolute() ? QUrl::fromLocalFile(target) : QUrl(target);
    return QDesktopServices::openUrl(url);
}

bool DesktopShell::hasHandler(const QString& scheme)
{
    QProcess p;
    p.start(QStringLiteral("xdg-mime"),
            {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/") + scheme});
    if (!p.waitForFinished(5000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return false;
    return !p.readAllStandardOutput().trimmed().isEmpty();
}
