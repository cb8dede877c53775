// Termivo: temperature and humidity logging devices, their downloads and reports.
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QCoreApplication>
#include <QScreen>
#include <QTextStream>

#include "app/commandline.h"
#include "app/journalview.h"
#include "app/programstate.h"
#include "app/rootdir.h"
#include "app/ui/application.h"
#include "app/ui/controller.h"
#include "config/paramcli.h"
#include "download/unattended.h"
#include "link/devicelink.h"
#include "link/listports.h"
#include "online/pollonce.h"
#include "reports/verify.h"
#include "views/compliancereport.h"
#include "views/exporttable.h"
#include "views/openmetricsexport.h"
#include "views/ui/exportchart.h"
#include "views/ui/form1.h"
#include "views/ui/reportpdf.h"

namespace {

// The painting modes show no window: only Qt's critical messages reach standard error,
// not its notes about the offscreen platform, so that timers' logs stay clean.
void criticalQtMessagesOnly(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// The modes without the main window, one line each: option, summary for "--help", the
// mode's help text, how it is recognised, how it runs (and CommandApp::Gui when it paints).
const CommandMode kModes[] = {
    {"--export-table", "write the month table of a report file as text", exportTableHelp, isExportTableCommand,
     [](const QStringList& a, QTextStream&, QTextStream& err) { return runExportTable(a, err); }},
    {"--download-all", "download every registered device's records (for timers and cron)", downloadAllHelp,
     isDownloadAllCommand, runDownloadAll},
    {"--list-ports", "list the serial ports by COM name with the device each opens", listPortsHelp, isListPortsCommand,
     runListPorts},
    {"--export-chart", "write the month chart of a report file as WMF, PNG or PDF", exportChartHelp,
     isExportChartCommand, runExportChartMode, CommandApp::Gui},
    {"--poll-once", "read every device's current readings once (text or Prometheus)", nullptr, nullptr, runPollOnce},
    {"--params", "print a device's parameter set as JSON", nullptr, nullptr,
     [](const QStringList& a, QTextStream& out, QTextStream&) { return runParams(a, out); }},
    {"--set-params", "change a device's parameters as the settings page does", nullptr, nullptr,
     [](const QStringList& a, QTextStream& out, QTextStream&) { return runParams(a, out); }},
    {"--report", "write the compliance figures of the fleet's channels (text, CSV, JSON or PDF)", reportHelp, nullptr,
     runReportMode, CommandApp::Gui},
    {"--export-openmetrics", "write the report files' hourly values in the OpenMetrics format (Prometheus)",
     exportOpenMetricsHelp, nullptr, runExportOpenMetrics},
    {"--verify", "check the report files and the audit journal against each other", verifyHelp, nullptr, runVerify},
    {"--journal", "print the audit journal for a person to read", journalHelp, nullptr, runJournal},
};

}  // namespace

int main(int argc, char* argv[])
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    const CommandChoice choice =
        chooseCommand(commandArguments(argc, argv), kModes, QStringLiteral(TERMIVO_VERSION), out, err);
    if (choice.kind == CommandChoice::Done) return choice.status;
    if (choice.kind == CommandChoice::Mode) {
        std::unique_ptr<QCoreApplication> app;
        if (choice.mode->app == CommandApp::Gui) {
            // Painting without a window: no display is needed.
            qputenv("QT_QPA_PLATFORM", "offscreen");
            qInstallMessageHandler(criticalQtMessagesOnly);
            auto gui = std::make_unique<QApplication>(argc, argv);
            setUpApplication(*gui);
            app = std::move(gui);
        } else
            app = std::make_unique<QCoreApplication>(argc, argv);
        app->setApplicationName(QStringLiteral("Termivo2"));
        return choice.mode->run(app->arguments().mid(1), out, err);
    }

    QApplication app(argc, argv);
    setUpApplication(app);
    installPersianTranslations(app);
    QStringList args = app.arguments().mid(1);
    takeRootOption(args);
    if (!choice.rootFolder.isEmpty()) setRootDirOverride(choice.rootFolder);
    args.removeOne(QStringLiteral("--"));  // "termivo -- -name.rep"
    // The windowed program's one state and link; the main window resets both at start.
    ProgramState state;
    DeviceLink link(state.stop);
    AppController windows(state, link, args);
    TForm1& mainWindow = windows.mainWindow();
    // Maximised; without a window manager (a bare X server) the screen's size is used.
    if (QScreen* screen = app.primaryScreen()) mainWindow.setGeometry(screen->availableGeometry());
    mainWindow.showMaximized();
    return app.exec();
}
