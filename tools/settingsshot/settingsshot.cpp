// termivo-settingsshot: opens the communication window on the device settings page,
// reads a device's full parameter set and its status set, and saves a picture of each
// inner page. Used to make the README's screenshots under Xvfb, with the device
// emulator playing the device.
#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>

#include "app/programstate.h"
#include "app/records.h"
#include "app/rootdir.h"
#include "app/ui/application.h"
#include "app/ui/controller.h"
#include "config/ui/settingspage.h"
#include "link/devicelink.h"
#include "link/ui/form_comm.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Saves screenshots of the device settings pages."));
    p.addHelpOption();
    p.addOption({QStringLiteral("root"), QStringLiteral("Root folder."), QStringLiteral("dir")});
    p.addOption({QStringLiteral("id"), QStringLiteral("Device ID."), QStringLiteral("id")});
    p.addOption({QStringLiteral("link"), QStringLiteral("Device address or COMn."), QStringLiteral("link")});
    p.addOption({QStringLiteral("out"), QStringLiteral("Prefix of the PNG files."), QStringLiteral("prefix")});
    p.process(app);
    if (!p.isSet(QStringLiteral("out")) || !p.isSet(QStringLiteral("id")) || !p.isSet(QStringLiteral("link"))) {
        std::fprintf(stderr, "termivo-settingsshot: --id, --link and --out are required\n");
        return 2;
    }
    if (p.isSet(QStringLiteral("root"))) setRootDirOverride(p.value(QStringLiteral("root")));
    AppController windows(programState(), deviceLink(), {});  // composition
    ProgramState& state = programState();                     // composition
    state.Prog.RootDir = computeRootDir();
    state.Prog.tryCnt = 3;
    state.Prog.TimeOut1 = state.Prog.TimeOut2 = state.Prog.TimeOut3 = 500;
    state.SelDevice.ID = p.value(QStringLiteral("id"));
    state.SelDevice.IP = p.value(QStringLiteral("link"));

    TForm_Comm& comm = windows.commWindow();
    comm.resize(1000, 780);
    comm.move(0, 0);
    comm.PageControl1->setCurrentWidget(comm.TabSheet_Net);
    comm.show();
    int rc = 0;
    QTimer::singleShot(300, [&] {
        TSettingsPage* page = comm.TabSheet_Net;
        page->Button4Click();
        page->BtnReadAllDataClick();
        // One edit, so that a changed control and the send button show.
        page->sheet().edit(QStringLiteral("LE_S1_Max1"), QStringLiteral("75"));
        page->refresh();
        const std::pair<QWidget*, const char*> pages[] = {{page->TabSheet3, "device"},
                                                          {page->TabSheet4, "sensors"},
                                                          {page->TabSheet6, "network"},
                                                          {page->TabSheet7, "phone"},
                                                          {page->status, "status"}};
        for (const auto& [w, name] : pages) {
            page->PageControl2->setCurrentWidget(w);
            QApplication::processEvents();
            const QString out = p.value(QStringLiteral("out")) + QLatin1String(name) + QStringLiteral(".png");
            if (!comm.grab().save(out)) rc = 1;
        }
        app.quit();
    });
    app.exec();
    return rc;
}
