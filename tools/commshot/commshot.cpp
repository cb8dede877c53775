// termivo-commshot: starts Termivo's windows on a root folder, shows the communication
// window on its device names page or on its replies page after a device search, and
// saves a picture of it. Used to make the README's screenshots under Xvfb.
#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

#include "app/programstate.h"
#include "app/rootdir.h"
#include "app/ui/application.h"
#include "app/ui/controller.h"
#include "config/ui/devicenamespage.h"
#include "config/ui/maintenancepages.h"
#include "link/devicelink.h"
#include "link/ui/form_comm.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Saves a screenshot of Termivo's communication window."));
    p.addHelpOption();
    p.addOption({QStringLiteral("root"), QStringLiteral("Root folder of the data files."), QStringLiteral("dir")});
    p.addOption({QStringLiteral("page"), QStringLiteral("Page to show: names or replies (after a device search)."),
                 QStringLiteral("page"), QStringLiteral("names")});
    p.addOption({QStringLiteral("out"), QStringLiteral("PNG file to write."), QStringLiteral("file")});
    p.process(app);
    if (!p.isSet(QStringLiteral("out"))) {
        std::fprintf(stderr, "termivo-commshot: --out is required\n");
        return 2;
    }
    const QString page = p.value(QStringLiteral("page"));
    if (page != QLatin1String("names") && page != QLatin1String("replies")) {
        std::fprintf(stderr, "termivo-commshot: --page is names or replies\n");
        return 2;
    }
    if (p.isSet(QStringLiteral("root"))) setRootDirOverride(p.value(QStringLiteral("root")));
    AppController windows(programState(), deviceLink(), {});  // composition
    auto* comm = &windows.commWindow();
    comm->resize(1180, 600);
    comm->move(0, 0);
    comm->show();
    if (page == QLatin1String("names")) {
        comm->TabSheet1->StringGrid1->setCurrentCell(2, 6);
    } else {
        QTimer::singleShot(300, [&] { comm->TabSheet8->Button2->click(); });
    }
    int rc = 0;
    QTimer::singleShot(2000, [&] {
        comm->Memo_Json->moveCursor(QTextCursor::Start);
        if (!comm->grab().save(p.value(QStringLiteral("out")))) rc = 1;
        app.quit();
    });
    app.exec();
    return rc;
}
