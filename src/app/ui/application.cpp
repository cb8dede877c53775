#include "app/ui/application.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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

namespace {
QTranslator& qtTranslator()
{
    static QTranslator t;
    return t;
}
QTranslator& ownTranslator()
{
    static QTranslator t;
    return t;
}
}  // namespace

bool installPersianTranslations(QCoreApplication& app)
{
    const QLocale persian(QLocale::Persian, QLocale::Iran);
    const bool qt = qtTranslator().load(persian, QStringLiteral("qtbase"), QStringLiteral("_"),
                                        QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    const bool own = ownTranslator().load(QStringLiteral(":/i18n/termivo_fa.qm"));
    if (qt) app.installTranslator(&qtTranslator());
    if (own) app.installTranslator(&ownTranslator());
    return qt && own;
}

void removePersianTranslations(QCoreApplication& app)
{
    app.removeTranslator(&qtTranslator());
    app.removeTranslator(&ownTranslator());
}
