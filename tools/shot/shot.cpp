// termivo-shot: starts Termivo's windows on a root folder, brings one page of the
// main window to the front, optionally opens a report file, and saves a picture of
// the screen. Used to make the README's screenshots under Xvfb.
#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include "app/programstate.h"
#include "app/rootdir.h"
#include "app/ui/application.h"
#include "app/ui/controller.h"
#include "config/ui/devicenamespage.h"
#include "download/ui/form_read.h"
#include "link/devicelink.h"
#include "link/ui/form_comm.h"
#include "views/ui/aboutbox.h"
#include "views/ui/compliancepanel.h"
#include "views/ui/form1.h"
#include "views/ui/form_comment.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    installPersianTranslations(app);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Saves a screenshot of Termivo's main window."));
    p.addHelpOption();
    p.addOption({QStringLiteral("root"), QStringLiteral("Root folder of the data files."), QStringLiteral("dir")});
    p.addOption({QStringLiteral("page"), QStringLiteral("Page to show: chart, table, compliance or devices."),
                 QStringLiteral("page"), QStringLiteral("chart")});
    p.addOption({QStringLiteral("out"), QStringLiteral("PNG file to write."), QStringLiteral("file")});
    p.addOption({QStringLiteral("open"), QStringLiteral("Report file to open."), QStringLiteral("file")});
    p.addOption({QStringLiteral("minmax"), QStringLiteral("Show the daily minimum and maximum.")});
    p.addOption({QStringLiteral("window"),
                 QStringLiteral("Another window to show and save: about, heading, settings, download or verify "
                                "(the findings of the check of the report files against the audit journal)."),
                 QStringLiteral("name")});
    p.addOption({QStringLiteral("dialog"),
                 QStringLiteral("A dialog to show over the window: open, or unsaved (the question of the download "
                                "item while the device list holds an unsaved row)."),
                 QStringLiteral("dialog")});
    p.addOption({QStringLiteral("size"), QStringLiteral("Window size WxH."), QStringLiteral("size"),
                 QStringLiteral("1280x800")});
    p.process(app);
    if (!p.isSet(QStringLiteral("out"))) {
        std::fprintf(stderr, "termivo-shot: --out is required\n");
        return 2;
    }
    if (p.isSet(QStringLiteral("root"))) setRootDirOverride(p.value(QStringLiteral("root")));
    ProgramState state;
    DeviceLink link(state.stop);
    AppController windows(state, link, {});
    auto* mainWin = &windows.mainWindow();
    auto* about = &windows.aboutBox();
    auto* heading = &windows.headingDialog();
    auto* comm = &windows.commWindow();
    auto* download = &windows.downloadDialog();
    const QStringList wh = p.value(QStringLiteral("size")).split(QLatin1Char('x'));
    mainWin->resize(wh.value(0).toInt(), wh.value(1).toInt());
    mainWin->move(0, 0);
    const QString page = p.value(QStringLiteral("page"));
    auto showPage = [&] {
        QWidget* w = mainWin->TabChart;
        if (page == QLatin1String("table")) w = mainWin->TabTable;
        if (page == QLatin1String("compliance")) w = mainWin->TabCompliance;
        if (page == QLatin1String("devices")) w = mainWin->TabSheet1;
        mainWin->PageControl1->setCurrentWidget(w);
    };
    showPage();
    mainWin->show();
    if (p.isSet(QStringLiteral("minmax"))) mainWin->ShowMinMax1->setChecked(true);
    if (p.isSet(QStringLiteral("open"))) {
        QTimer::singleShot(300, [&] {
            mainWin->OpenMyFile(p.value(QStringLiteral("open")));
            showPage();
        });
    }
    QWidget* shown = mainWin;
    const QString window = p.value(QStringLiteral("window"));
    if (window == QLatin1String("about")) shown = about;
    if (window == QLatin1String("heading")) shown = heading;
    if (window == QLatin1String("settings")) shown = comm;
    if (window == QLatin1String("download")) shown = download;
    if (shown != mainWin) QTimer::singleShot(600, [&, shown] { shown->show(); });
    if (window == QLatin1String("verify")) QTimer::singleShot(600, [&] { mainWin->VerifyFiles1->trigger(); });
    const QString dialog = p.value(QStringLiteral("dialog"));
    const bool openDialog = dialog == QLatin1String("open") || dialog == QLatin1String("unsaved");
    if (dialog == QLatin1String("open"))
        QTimer::singleShot(600, [&] { mainWin->Open1Click(); });  // modal until closed below
    if (dialog == QLatin1String("unsaved")) {
        QTimer::singleShot(600, [&] {
            comm->TabSheet1->FormShow();
            comm->TabSheet1->BitBtnAddDev->click();
            mainWin->AllData1->trigger();  // the question is modal until closed below
        });
    }
    int rc = 0;
    QTimer::singleShot(1500, [&] {
        if (window == QLatin1String("verify"))
            if (auto* findings = mainWin->findChild<QWidget*>(QStringLiteral("VerifyWindow"))) shown = findings;
        // With a dialog: the screen, which holds the window and the dialog over it.
        const QPixmap shot = openDialog ? mainWin->screen()->grabWindow(0) : shown->grab();
        if (QWidget* modal = QApplication::activeModalWidget()) {
            // A question without a cancel button closes only by one of its buttons: the last.
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box && !box->buttons().isEmpty())
                box->buttons().last()->click();
            else
                modal->close();
        }
        if (!shot.save(p.value(QStringLiteral("out")))) rc = 1;
        app.quit();
    });
    app.exec();
    return rc;
}
