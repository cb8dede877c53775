#include "views/ui/exportchart.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QTableWidget>
#include <qcustomplot.h>

#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "app/ui/application.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "views/exporttable.h"
#include "views/month.h"
#include "views/ui/metafile.h"
#include "views/ui/monthprint.h"
#include "views/ui/monthview.h"

namespace {

QString formatOf(const QString& out)
{
    return QFileInfo(out).suffix().toLower();
}

void checkFormat(const MonthExportOptions& o)
{
    const QString f = formatOf(o.out);
    if (f != QLatin1String("wmf") && f != QLatin1String("png") && f != QLatin1String("pdf"))
        throw TermivoError(QStringLiteral("The output file must end in .wmf, .png or .pdf, not \"%1\".")
                               .arg(QFileInfo(o.out).fileName()));
}

// The headings and the background picture of the program folder's settings, as the
// main window draws them.
void loadSettings(ProgramState& state)
{
    resetStartupState();
    state.Prog.Comment.clear();
    state.Prog.picFileName.clear();
    try {
        loadRegistry(programState());  // composition
    } catch (const TermivoError&) {
        // An unreadable settings file: the chart is drawn without heading lines.
    }
}

void writeChart(const MonthExportOptions& o, const ReportYear& year, MonthView& view)
{
    ProgramState& state = programState();  // composition: the mode's own state
    loadSettings(state);
    const program_rec& prog = state.Prog;
    const QString name = sensorNameOfFile(o.report);
    MonthChartContent& content = view.chart;
    content.title = chartTitle(prog.Comment, name);
    content.valueAxisCaption = valueAxisCaption(year.header.devType, year.header.sensorType, name);
    if (!prog.picFileName.isEmpty() && QFileInfo(prog.picFileName).isFile())
        content.backgroundPicture = prog.picFileName;

    QCustomPlot chart;
    chart.resize(kExportChartSize);
    renderMonthChart(&chart, content);
    const QString format = formatOf(o.out);
    QByteArray bytes;
    if (format == QLatin1String("wmf")) {
        bytes = chartMetafile(&chart, kExportChartSize);
    } else if (format == QLatin1String("png")) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!chart.toPixmap(kExportChartSize.width(), kExportChartSize.height()).save(&buffer, "PNG"))
            throw FileError(QStringLiteral("The chart could not be drawn as PNG."));
    } else {
        QTableWidget table;
        renderMonthTable(&table, view.table);
        bytes = monthPdf(&chart, &table, content.title, content.foot.value(0));
    }
    writeBytesAtomically(o.out, bytes);
}

}  // namespace

bool isExportChartCommand(const QStringList& args)
{
    return args.contains(QStringLiteral("--export-chart"));
}

int runExportChart(const QStringList& args, QTextStream& err)
{
    return runMonthExport(args, QStringLiteral("--export-chart"), err, checkFormat, writeChart);
}

namespace {
// Only the export's own messages reach standard error: the toolkit's notes about the
// off-screen platform (no runtime folder, no session) are dropped.
}  // namespace

QString exportChartHelp()
{
    return QStringLiteral(
        "usage: termivo --export-chart REPORT_FILE [--month M] [--period P] [--minmax] --out FILE\n"
        "Writes the month chart of a report file as a picture or a document, by the extension of FILE:\n"
        ".wmf (Windows Metafile), .png, or .pdf (the chart page and the table pages as printed).\n"
        "  --month M      the month 1..12 (default: the month of the file's last day line)\n"
        "  --period P     the averaging period in hours: 1, 3, 6, 12 or 24 (default 3)\n"
        "  --minmax       draw the daily minimum and maximum\n"
        "  --out FILE     the file to write, replaced whole: a new file or an existing regular file,\n"
        "                 never the report file, a FIFO or device, nor the registry, the ledger or a\n"
        "                 report file of the program's folder\n"
        "Exit status: 0 written, 1 the report file cannot be read (also when it is not a regular\n"
        "file or holds more than 64 MB) or the output cannot be written (also when --out is refused),\n"
        "2 bad command line.\n");
}

int runExportChartMode(const QStringList& args, QTextStream&, QTextStream& err)
{
    return runExportChart(args, err);
}
