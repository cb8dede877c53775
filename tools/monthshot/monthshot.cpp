// termivo-monthshot: shows one month of a report file as the main window draws it
// (chart and table side by side), for the README's screenshot under Xvfb.
//   termivo-monthshot REPORT_FILE [--month M] [--period P] [--heading LINE]... [--seconds S]
#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>
#include <QHBoxLayout>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <qcustomplot.h>

#include "app/ui/application.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "reports/loader.h"
#include "views/month.h"
#include "views/ui/monthview.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);
    QCommandLineParser p;
    p.addHelpOption();
    p.addPositionalArgument(QStringLiteral("report"), QStringLiteral("Report file to show."));
    p.addOption({QStringLiteral("month"), QStringLiteral("Month 1..12."), QStringLiteral("m")});
    p.addOption(
        {QStringLiteral("period"), QStringLiteral("Period in hours."), QStringLiteral("p"), QStringLiteral("3")});
    p.addOption(
        {QStringLiteral("heading"), QStringLiteral("A title line above the sensor name."), QStringLiteral("t")});
    p.addOption({QStringLiteral("seconds"), QStringLiteral("Close after S seconds."), QStringLiteral("s"),
                 QStringLiteral("20")});
    p.addOption({QStringLiteral("grab"), QStringLiteral("Save a picture of the window after a second and quit."),
                 QStringLiteral("png")});
    p.process(app);
    if (p.positionalArguments().isEmpty()) p.showHelp(2);
    const QString file = p.positionalArguments().first();

    QWidget window;
    window.setWindowTitle(QStringLiteral("Termivo2"));
    window.setLayoutDirection(Qt::RightToLeft);
    auto* layout = new QHBoxLayout(&window);
    auto* chart = new QCustomPlot(&window);
    auto* table = new QTableWidget(&window);
    layout->addWidget(chart, 3);
    layout->addWidget(table, 2);
    window.setGeometry(0, 0, 1600, 900);
    window.show();

    const bool ok = guarded([&] {
        const ReportYear year = loadReportYear(readTextFile(file).lines);
        const int month =
            p.isSet(QStringLiteral("month")) ? p.value(QStringLiteral("month")).toInt() : year.lastLineMonth;
        MonthViewOptions options;
        options.period = p.value(QStringLiteral("period")).toInt();
        options.showMinMax = true;
        options.yearText = year.lastLineYear.value_or(QString());
        MonthView view = buildMonthView(year, month, options);
        const QString name = sensorNameOfFile(file);
        view.chart.title = chartTitle(p.values(QStringLiteral("heading")), name);
        view.chart.valueAxisCaption = valueAxisCaption(year.header.devType, year.header.sensorType, name);
        renderMonthChart(chart, view.chart);
        renderMonthTable(table, view.table);
        table->resizeColumnsToContents();
    });
    if (!ok) return 1;
    if (p.isSet(QStringLiteral("grab"))) {
        QTimer::singleShot(1000, &app, [&] {
            window.grab().save(p.value(QStringLiteral("grab")));
            app.quit();
        });
    }
    QTimer::singleShot(p.value(QStringLiteral("seconds")).toInt() * 1000, &app, &QApplication::quit);
    return app.exec();
}
