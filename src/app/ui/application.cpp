#include "app/ui/application.h"

#include <QApplication>
#include <QFont>

#include "platform/dialogs.h"
#include "platform/ui/qtdialogs.h"

void setUpApplication(QApplication& app)
{
    static QtDialogs qtDialogs;
    app.setApplicationName(QStringLiteral("Termivo2"));
    app.setApplicationDisplayName(QStringLiteral("Termivo2"));
    app.setLayoutDirection(Qt::RightToLeft);
    // The windows ask for Tahoma; Persian text comes from Noto Sans Arabic.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Noto Sans Arabic"), QStringLiteral("Noto Sans")});
    QFont f(QStringLiteral("Tahoma"), 9);
    app.setFont(f);
    setDialogs(&qtDialogs);
}
