#include "app/ui/application.h"

#include <QApplication>
#include <QFont>

#include "platform/dialogs.h"
#include "platform/shell.h"
#include "platform/ui/desktopshell.h"
#include "platform/ui/qtdialogs.h"

void setUpApplication(QApplication& app)
{
    static QtDialogs qtDialogs;
    static DesktopShell desktopShell;
    app.setApplicationName(QStringLiteral("Termivo2"));
    app.setApplicationDisplayName(QStringLiteral("Termivo2"));
    app.setLayoutDirection(Qt::RightToLeft);
    // The windows ask for Tahoma; Persian text comes from Noto Sans Arabic.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Noto Sans Arabic"), QStringLiteral("Noto Sans")});
    QFont f(QStringLiteral("Tahoma"), 9);
    app.setFont(f);
    setDialogs(&qtDialogs);
    setShell(&desktopShell);
}
