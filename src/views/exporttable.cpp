#include "views/exporttable.h"

#include <memory>

#include <QFileInfo>

#include "app/calendar.h"
#include "app/commandline.h"
#include "app/outputtarget.h"
#include "app/programstate.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "reports/limitshistory.h"
#include "reports/loader.h"
#include "views/compliance.h"
#include "views/month.h"

namespace {

int parseNumber(const QString& option, const QString& text)
{
    try {
        return strToInt(text);
    } catch (const ConvertError&) {
        throw TermivoError(QStringLiteral("%1 needs a whole number, not \"%2\".").arg(option, text));
    }
}

MonthExportOptions parse(const QStringList& args, const QString& command)
{
    MonthExportOptions o;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&]() -> QString {
            if (i + 1 >= args.size()) throw TermivoError(QStringLiteral("%1 needs a value.").arg(a));
            return args[++i];
        };
        if (a == command) {
            o.report = value();
        } else if (a == QLatin1String("--month")) {
            o.month = parseNumber(a, value());
            if (o.month < 1 || o.month > 12)
                throw TermivoError(QStringLiteral("The month must be 1 to 12, not %1.").arg(o.month));
        } else if (a == QLatin1String("--period")) {
            o.period = parseNumber(a, value());
            if (!isValidPeriod(o.period))
                throw TermivoError(QStringLiteral("The period must be 1, 3, 6, 12 or 24 hours, not %1.").arg(o.period));
        } else if (a == QLatin1String("--minmax")) {
            o.minMax = true;
        } else if (a == QLatin1String("--out")) {
            o.out = value();
        } else {
            throw TermivoError(QStringLiteral("unknown option \"%1\"").arg(a));
        }
    }
    if (o.report.isEmpty()) throw TermivoError(QStringLiteral("No report file given."));
    if (o.out.isEmpty()) throw TermivoError(QStringLiteral("No output file given (--out)."));
    return o;
}

}  // namespace

QString exportTableHelp()
{
    return QStringLiteral(
        "usage: termivo --export-table REPORT_FILE [--month M] [--period P] [--minmax] --out OUT_FILE\n"
        "Writes the month table of a report file as the main window's \"save as text\" does.\n"
        "  --month M      the month 1..12 (default: the month of the file's last day line)\n"
        "  --period P     the averaging period in hours: 1, 3, 6, 12 or 24 (default 3)\n"
        "  --minmax       fill the daily minimum and maximum columns\n"
        "  --out OUT_FILE the file to write, replaced whole: a new file or an existing regular file,\n"
        "                 never the report file, a FIFO or device, nor the registry, the ledger or a\n"
        "                 report file of the program's folder\n"
        "Exit status: 0 written, 1 the report file cannot be read (also when it is not a regular\n"
        "file or holds more than 64 MB) or the table cannot be written (also when --out is refused),\n"
        "2 bad command line.\n");
}

bool isExportTableCommand(const QStringList& args)
{
    return args.contains(QStringLiteral("--export-table"));
}

int runExportTable(const QStringList& args, QTextStream& err)
{
    return runMonthExport(
        args, QStringLiteral("--export-table"), err, nullptr,
        [](const MonthExportOptions& o, const ReportYear&, MonthView& view) { saveMonthTableText(o.out, view.table); });
}

namespace {

// The limits of the hours of month of year that the root folder's journal tells for its
// file, placed by the year its day lines name in the settings' calendar; none when the
// journal tells no change of its limits (the header's then hold).
std::optional<MonthLimits> journalledMonthLimits(ReportYear& year, int month)
{
    const QString root = computeRootDir();
    year.limitsHistory = readLimitsHistory(root, year.path);
    if (year.limitsHistory.empty()) return std::nullopt;
    ProgramState state;
    state.reset(root);
    try {
        loadRegistry(state);
    } catch (const TermivoError&) {
        // Settings that cannot be read: the official calendar.
    }
    bool known = false;
    const int yy = year.lastLineYear.value_or(QString()).trimmed().toInt(&known);
    return monthLimitsOf(year, known ? yy : 0, month, programNow(), state.Prog.calendar);
}

}  // namespace

int runMonthExport(const QStringList& args, const QString& command, QTextStream& err,
                   const std::function<void(const MonthExportOptions&)>& check, const MonthExportWriter& write)
{
    MonthExportOptions o;
    try {
        o = parse(args, command);
        if (check) check(o);
    } catch (const TermivoError& e) {
        return commandUsageError(err, command, e.text());
    }
    try {
        checkOutputTarget(o.out, {o.report});
        const TextFile file = readTextFile(o.report);
        if (file.lines.isEmpty())
            throw TermivoError(QStringLiteral("The report file is empty: it has no header line."));
        auto year = std::make_unique<ReportYear>();
        year->path = QFileInfo(o.report).absoluteFilePath();
        loadReportYear(*year, file.lines);
        if (!year->headerRead)
            throw TermivoError(
                QStringLiteral("The header line of the report file cannot be read: %1")
                    .arg(year->headerUnreadable ? kHeaderUnreadableMessage : QStringLiteral("it has too few fields.")));
        const int month = o.month != 0 ? o.month : year->lastLineMonth;
        if (month < 1 || month > 12)
            throw TermivoError(QStringLiteral("The report file has no day lines; give the month with --month."));
        MonthViewOptions options;
        options.period = o.period;
        options.showMinMax = o.minMax;
        options.yearText = year->lastLineYear.value_or(QString());
        options.limits = journalledMonthLimits(*year, month);
        MonthView view = buildMonthView(*year, month, options);
        write(o, *year, view);
    } catch (const std::exception& e) {
        err << "termivo: " << o.report << ": " << errorText(e) << "\n";
        err.flush();
        return 1;
    }
    return 0;
}
