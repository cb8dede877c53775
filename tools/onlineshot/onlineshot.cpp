// termivo-onlineshot: opens Termivo's online window on a root folder, runs one sweep
// of the poll against the devices (the emulator in the demo), and saves a picture of
// the window. Used for the README's screenshot under Xvfb.
#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include "app/programstate.h"
#include "app/rootdir.h"
#include "app/ui/application.h"
#include "app/ui/controller.h"
#include "link/devicelink.h"
#include "online/ui/form_show.h"
#include "platform/dialogs.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Saves a screenshot of Termivo's online window after one sweep."));
    p.addHelpOption();
    p.addOption({QStringLiteral("root"), QStringLiteral("Root folder of the data files."), QStringLiteral("dir")});
    p.addOption({QStringLiteral("out"), QStringLiteral("PNG file to write."), QStringLiteral("file")});
    p.addOption(
        {QStringLiteral("paused"), QStringLiteral("Step to the month before after the sweep (the poll pauses).")});
    p.addOption({QStringLiteral("size"), QStringLiteral("Window size WxH."), QStringLiteral("size"),
                 QStringLiteral("1280x800")});
    p.process(app);
    if (!p.isSet(QStringLiteral("out"))) {
        std::fprintf(stderr, "termivo-onlineshot: --out is required\n");
        return 2;
    }
    if (p.isSet(QStringLiteral("root"))) setRootDirOverride(p.value(QStringLiteral("root")));
    AppController windows(programState(), deviceLink(), {});  // composition
    auto* online = &windows.onlineWindow();
    SilentDialogs silent;  // a device that does not answer is not a box in the picture
    setDialogs(&silent);
    const QStringList wh = p.value(QStringLiteral("size")).split(QLatin1Char('x'));
    online->setManualTicks(true);
    online->resize(wh.value(0).toInt(), wh.value(1).toInt());
    online->move(0, 0);
    online->show();
    int rc = 0;
    QTimer::singleShot(300, [&] {
        online->Timer1Timer();
        if (p.isSet(QStringLiteral("paused"))) online->BTN_Back->click();
        QTimer::singleShot(500, [&] {
            if (!online->grab().save(p.value(QStringLiteral("out")))) rc = 1;
            app.quit();
        });
    });
    app.exec();
    return rc;
}
