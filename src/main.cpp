// Termivo: temperature and humidity logging devices, their downloads and reports.
#include <cstdio>

#include <QApplication>
#include <QCoreApplication>
#include <QScreen>
#include <QTextStream>

#include "app/ui/application.h"
#include "app/ui/forms.h"
#include "config/paramcli.h"
#include "download/unattended.h"
#include "views/exporttable.h"
#include "views/ui/form1.h"

int main(int argc, char* argv[])
{
    {
        QStringList raw;
        for (int i = 1; i < argc; ++i) raw << QString::fromLocal8Bit(argv[i]);
        if (isExportTableCommand(raw)) {
            // Batch export: no window, no display needed.
            QCoreApplication app(argc, argv);
            QTextStream err(stderr);
            return runExportTable(app.arguments().mid(1), err);
        }
        if (isParamsCommand(raw)) {
            // Scriptable configuration of one device: no window.
            QCoreApplication app(argc, argv);
            QTextStream out(stdout);
            return runParams(app.arguments().mid(1), out);
        }
        if (isDownloadAllCommand(raw)) {
            // Unattended download: no window, its messages and progress as plain lines.
            QCoreApplication app(argc, argv);
            app.setApplicationName(QStringLiteral("Termivo2"));
            QTextStream out(stdout);
            return runDownloadAll(app.arguments().mid(1), out);
        }
    }
    QApplication app(argc, argv);
    setUpApplication(app);
    const QStringList args = app.arguments().mid(1);
    createForms(args);
    // Maximised; without a window manager (a bare X server) the screen's size is used.
    if (QScreen* screen = app.primaryScreen()) Form1->setGeometry(screen->availableGeometry());
    Form1->showMaximized();
    const int rc = app.exec();
    destroyForms();
    return rc;
}
