#include "app/journalview.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "app/commandline.h"
#include "app/rootdir.h"
#include "platform/dialogs.h"
#include "platform/errors.h"

namespace {

using json = nlohmann::ordered_json;

const QString kMode = QStringLiteral("--journal");

// A value as text: a string as it is, a number as written, anything else as JSON.
QString valueText(const json& j)
{
    if (j.is_string()) return QString::fromStdString(j.get<std::string>());
    if (j.is_boolean()) return j.get<bool>() ? QStringLiteral("yes") : QStringLiteral("no");
    return QString::fromStdString(j.dump(-1, ' ', false, json::error_handler_t::replace));
}

QString field(const json& details, const char* key)
{
    const auto it = details.find(key);
    return it == details.end() ? QString() : valueText(*it);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString change(const json& from, const json& to)
{
    return quoted(valueText(from)) + QStringLiteral(" -> ") + quoted(valueText(to));
}

// The lines of a list of lines ("old" and "new" of the heading), each quoted.
QStringList listLines(const json& list, const QString& label)
{
    QStringList out;
    if (!list.is_array()) return out;
    for (const auto& l : list) out << label + quoted(valueText(l));
    return out;
}

QString kindWords(const QString& kind)
{
    static const std::map<QString, QString> words{
        {QStringLiteral("report.download"), QStringLiteral("download written to a report file")},
        {QStringLiteral("report.remark"), QStringLiteral("remark added to a report file")},
        {QStringLiteral("report.header"), QStringLiteral("report file header rewritten")},
        {QStringLiteral("report.adopt"), QStringLiteral("report file taken as it stands")},
        {QStringLiteral("journal.torn"), QStringLiteral("damaged journal line accepted")},
        {QStringLiteral("params.send"), QStringLiteral("parameters sent to a device")},
        {QStringLiteral("registry.save"), QStringLiteral("device registry saved")},
        {QStringLiteral("settings.heading"), QStringLiteral("report heading changed")},
        {QStringLiteral("settings.background"), QStringLiteral("background picture changed")},
        {QStringLiteral("ledger.period-start"), QStringLiteral("period start set")},
        {QStringLiteral("device.clock"), QStringLiteral("device clock set")},
        {QStringLiteral("device.alarm-stop"), QStringLiteral("device alarm stopped")},
        {QStringLiteral("device.erase"), QStringLiteral("device memory erased")},
        {QStringLiteral("download.start"), QStringLiteral("download run started")},
        {QStringLiteral("download.end"), QStringLiteral("download run ended")},
    };
    const auto it = words.find(kind);
    return it == words.end() ? kind : it->second;
}

QStringList detailLines(const QString& kind, const json& d)
{
    QStringList out;
    if (!d.is_object()) return out;
    if (kind == QLatin1String("report.download")) {
        QString first = field(d, "file");
        if (d.contains("device"))
            first += QStringLiteral(" (device %1, channel %2)").arg(field(d, "device"), field(d, "channel"));
        if (d.value("created", false)) first += QStringLiteral(", a new file");
        out << first;
        if (d.contains("header")) out << QStringLiteral("header: ") + quoted(field(d, "header"));
        if (d.contains("replaced") && d["replaced"].is_object())
            out << QStringLiteral("replaced: day %1/%2")
                       .arg(field(d["replaced"], "month"), field(d["replaced"], "day"));
        const auto days = d.find("days");
        const qsizetype count = days != d.end() && days->is_array() ? qsizetype(days->size()) : 0;
        out << QStringLiteral("days (%1): %2").arg(count).arg(count ? dayRunsText(*days) : QStringLiteral("none"));
    } else if (kind == QLatin1String("report.remark")) {
        out << QStringLiteral("%1, month %2: %3").arg(field(d, "file"), field(d, "month"), quoted(field(d, "line")));
    } else if (kind == QLatin1String("report.header")) {
        out << field(d, "file") << QStringLiteral("header: ") + change(d.value("old", json()), d.value("new", json()));
    } else if (kind == QLatin1String("report.adopt")) {
        const auto days = d.find("days");
        const auto remarks = d.find("remarks");
        out << QStringLiteral("%1 (%2)").arg(field(d, "file"), field(d, "reason"));
        out << QStringLiteral("header: ") + quoted(field(d, "header"));
        out << QStringLiteral("%1 day lines, %2 remarks")
                   .arg(days != d.end() && days->is_array() ? days->size() : 0)
                   .arg(remarks != d.end() && remarks->is_array() ? remarks->size() : 0);
    } else if (kind == QLatin1String("journal.torn")) {
        out << QStringLiteral("line %1").arg(field(d, "line"));
    } else if (kind == QLatin1String("params.send")) {
        out << QStringLiteral("device %1, confirmed: %2").arg(field(d, "device"), field(d, "confirmed"));
        if (d.contains("changes") && d["changes"].is_array())
            for (const auto& c : d["changes"])
                if (c.is_object())
                    out << field(c, "name") + QStringLiteral(": ") +
                               change(c.value("old", json()), c.value("new", json()));
    } else if (kind == QLatin1String("registry.save")) {
        out << listLines(d.value("removed", json()), QStringLiteral("removed: "));
        out << listLines(d.value("added", json()), QStringLiteral("added: "));
        if (d.contains("changed") && d["changed"].is_array())
            for (const auto& c : d["changed"])
                if (c.is_object())
                    out << QStringLiteral("changed: ") + change(c.value("old", json()), c.value("new", json()));
    } else if (kind == QLatin1String("settings.heading")) {
        out << listLines(d.value("old", json()), QStringLiteral("old: "));
        out << listLines(d.value("new", json()), QStringLiteral("new: "));
    } else if (kind == QLatin1String("settings.background")) {
        out << change(d.value("old", json()), d.value("new", json()));
    } else if (kind == QLatin1String("ledger.period-start")) {
        out << QStringLiteral("%1/%2/%3").arg(field(d, "year"), field(d, "month"), field(d, "day"));
    } else if (kind == QLatin1String("device.clock")) {
        out << QStringLiteral("device %1: %2, confirmed: %3")
                   .arg(field(d, "device"), field(d, "clock"), field(d, "confirmed"));
    } else if (kind == QLatin1String("device.alarm-stop")) {
        out << QStringLiteral("device %1").arg(field(d, "device"));
    } else if (kind == QLatin1String("device.erase")) {
        out << QStringLiteral("device %1, confirmation: %2").arg(field(d, "device"), field(d, "confirmation"));
    } else if (kind == QLatin1String("download.start")) {
        out << QStringLiteral("run %1, devices: %2").arg(field(d, "run"), field(d, "devices"));
    } else if (kind == QLatin1String("download.end")) {
        out << QStringLiteral("run %1: %2 devices read, %3 failed, %4")
                   .arg(field(d, "run"), field(d, "devicesRead"), field(d, "devicesFailed"), field(d, "status"));
    } else {
        for (auto it = d.begin(); it != d.end(); ++it)
            out << QString::fromStdString(it.key()) + QStringLiteral(": ") + valueText(it.value());
    }
    return out;
}

// Whether a report file's name (without its folders) is the device's: ID, then the
// channel digit and "_".
bool fileOfDevice(const QString& fileKey, const QString& id)
{
    const QString name = fileKey.mid(fileKey.lastIndexOf(QLatin1Char('/')) + 1);
    return name.size() > id.size() + 1 && name.startsWith(id) && name[id.size()] >= QLatin1Char('1') &&
           name[id.size()] <= QLatin1Char('4') && name[id.size() + 1] == QLatin1Char('_');
}

}  // namespace

bool journalEntryMatches(const json& entry, const JournalFilter& filter)
{
    if (filter.since) {
        const auto time = entry.find("time");
        if (time == entry.end() || !time->is_string()) return false;
        // The date as recorded: its first ten characters.
        const QDate date = QDate::fromString(QString::fromStdString(time->get<std::string>()).left(10), Qt::ISODate);
        if (!date.isValid() || date < *filter.since) return false;
    }
    if (!filter.device.isEmpty()) {
        const auto details = entry.find("details");
        if (details == entry.end() || !details->is_object()) return false;
        const QString device = field(*details, "device");
        const QString file =
            details->contains("file") && (*details)["file"].is_string() ? field(*details, "file") : QString();
        if (device != filter.device && !fileOfDevice(file, filter.device)) return false;
    }
    return true;
}

QString dayRunsText(const json& days)
{
    QStringList runs;
    int month = -1, first = -1, last = -1;
    auto close = [&] {
        if (first < 0) return;
        runs << (first == last ? QStringLiteral("%1/%2").arg(month).arg(first)
                               : QStringLiteral("%1/%2-%3").arg(month).arg(first).arg(last));
    };
    for (const auto& d : days) {
        if (!d.is_object()) continue;
        const int m = d.value("month", 0);
        const int day = d.value("day", 0);
        if (m == month && day == last + 1) {
            last = day;
            continue;
        }
        close();
        month = m, first = day, last = day;
    }
    close();
    return runs.join(QStringLiteral(", "));
}

QStringList journalEntryLines(int lineNumber, const json& entry)
{
    const QString kind = field(entry, "kind");
    QStringList lines{QStringLiteral("line %1  %2  %3  %4")
                          .arg(lineNumber)
                          .arg(field(entry, "time"), field(entry, "user"), kindWords(kind))};
    try {
        for (const QString& l : detailLines(kind, entry.value("details", json()))) lines << QStringLiteral("  ") + l;
    } catch (const json::exception&) {
        lines << QStringLiteral("  (details not as the program writes them)");
    }
    return lines;
}

QString journalText(const JournalScan& scan, const JournalFilter& filter)
{
    QStringList lines;
    for (const auto& line : scan.lines) {
        if (!line.entry) {
            lines << QStringLiteral("line %1  %2: %3")
                         .arg(line.number)
                         .arg(line.complete ? QStringLiteral("damaged, not an entry")
                                            : QStringLiteral("cut off, not an entry"),
                              QString::fromUtf8(line.text.left(120)));
            continue;
        }
        if (journalEntryMatches(*line.entry, filter)) lines << journalEntryLines(line.number, *line.entry);
    }
    if (scan.chainBreak)
        lines << QStringLiteral("the chain breaks at line %1: a line before it was edited, removed or reordered")
                     .arg(scan.chainBreak);
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString journalHelp()
{
    return QStringLiteral(
        "usage: termivo --journal [--root DIR] [--since YYYY-MM-DD] [--device ID]\n"
        "Prints the audit journal (audit.jsonl) of the root folder, oldest entry first: its line\n"
        "number, the time as recorded, the user and what happened, then the details (the file and\n"
        "days of a download, old -> new of a header, parameter, registry or settings change).\n"
        "Damaged lines are always shown.\n"
        "  --root DIR           the root folder (default: the folder of the executable)\n"
        "  --since YYYY-MM-DD   only the entries of this Gregorian day and later (the date of the\n"
        "                       time recorded, in its own offset)\n"
        "  --device ID          only the entries about device ID: its \"device\", or a report file\n"
        "                       of its (ID, channel digit, \"_\")\n"
        "Exit status: 0 printed, 1 the journal cannot be read, 2 bad command line, 4 no journal.\n");
}

int runJournal(const QStringList& args, QTextStream& out, QTextStream& err)
{
    JournalFilter filter;
    QString root;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == kMode) continue;
        const bool takesValue =
            a == QLatin1String("--root") || a == QLatin1String("--since") || a == QLatin1String("--device");
        if (!takesValue) return commandUsageError(err, kMode, QStringLiteral("unknown option \"%1\"").arg(a));
        if (i + 1 >= args.size()) return commandUsageError(err, kMode, QStringLiteral("%1 needs a value").arg(a));
        const QString& v = args[++i];
        if (a == QLatin1String("--root")) {
            root = v;
        } else if (a == QLatin1String("--since")) {
            static const QRegularExpression shape(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
            const QDate date = QDate::fromString(v, Qt::ISODate);
            if (!shape.match(v).hasMatch() || !date.isValid())
                return commandUsageError(
                    err, kMode, QStringLiteral("--since needs a Gregorian date YYYY-MM-DD, not \"%1\"").arg(v));
            filter.since = date;
        } else {
            if (v.isEmpty()) return commandUsageError(err, kMode, QStringLiteral("--device needs a device ID"));
            filter.device = v;
        }
    }
    if (!root.isEmpty())
        if (const int status = useRootFolder(root, kMode, err)) return status;
    const QString path = journalPath(computeRootDir());
    JournalScan scan;
    try {
        scan = scanJournal(path);
    } catch (const std::exception& e) {
        err << "termivo: " << consoleText(errorText(e)) << "\n";
        err.flush();
        return 1;
    }
    if (!scan.exists) {
        err << QStringLiteral("termivo: there is no audit journal \"%1\"\n").arg(QDir::toNativeSeparators(path));
        err.flush();
        return 4;
    }
    out << journalText(scan, filter);
    out.flush();
    return 0;
}
