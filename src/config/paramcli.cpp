#include "config/paramcli.h"

#include <cstdio>

#include <QFileInfo>

#include "app/calendar.h"
#include "app/ledger.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "config/expertaccess.h"
#include "config/paramsession.h"
#include "link/devicelink.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/errors.h"

namespace {

const char* const kUsage =
    "usage: termivo --params ID [--root DIR]\n"
    "       termivo --set-params ID GROUP.KEY=VALUE... [--expert CODE] [--root DIR]\n";

const char* const kHelp =
    "termivo --params ID [--root DIR]\n"
    "  Prints the full parameter set of the registered device ID as JSON, in the\n"
    "  device's order.\n"
    "termivo --set-params ID GROUP.KEY=VALUE... [--expert CODE] [--root DIR]\n"
    "  Changes parameters as the settings page does (GROUP.KEY as in the printed set,\n"
    "  a list parameter by its position from 0): the same checks, the same change text,\n"
    "  confirmation by the device, changed limits carried into the current year's\n"
    "  report files. Texts: printable ASCII without $ # \" \\. Whole numbers: a 32-bit\n"
    "  signed integer; limits and corrections: -999999 to 999999, the fraction after a\n"
    "  point, the regional decimal separator or U+066B (sent with a point).\n"
    "--expert CODE  the settings page's expert access code (73 and the hour of the\n"
    "  clock, no leading zero): needed to change the locked parameters\n"
    "--root DIR  the root folder (default: see \"termivo --help\")\n"
    "Every send is entered in the root folder's audit journal \"audit.jsonl\" before it\n"
    "  goes out and again with the device's reply (passwords as \"***\").\n"
    "Exit status: 0 done, 1 the device gave no usable reply or did not confirm, or the\n"
    "audit journal could not be written (then nothing was sent),\n"
    "2 bad command line, unknown device or parameter, or refused by the checks,\n"
    "4 the registry could not be read, 5 the device took the change but the new limits could\n"
    "not be written into every report file (each such file is named on standard error).\n";

void err(const QString& line)
{
    QTextStream e(stderr);
    e << line << '\n';
}

// Prints nothing of the traffic; the communication faults and the messages of the
// checks reach standard error.
class QuietObserver : public LinkObserver
{
public:
    void message(const QString& text) override { err(consoleText(text)); }
};

struct Assignment
{
    QString name;  // control name
    QString value;
};

}  // namespace

bool isParamsCommand(const QStringList& args)
{
    return args.contains(QStringLiteral("--params")) || args.contains(QStringLiteral("--set-params"));
}

int runParams(const QStringList& args, QTextStream& out)
{
    bool set = false;
    QString id;
    QString expertCode;
    QList<Assignment> changes;
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << kHelp;
        return kParamsOk;
    }
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == QLatin1String("--params") || a == QLatin1String("--set-params")) && id.isEmpty() &&
            i + 1 < args.size()) {
            set = a == QLatin1String("--set-params");
            id = args[++i];
        } else if (a == QLatin1String("--root") && i + 1 < args.size()) {
            const QString& dir = args[++i];
            if (!QFileInfo(dir).isDir()) {
                err(QStringLiteral("termivo: the root folder \"%1\" does not exist").arg(dir));
                return kParamsUsage;
            }
            setRootDirOverride(dir);
        } else if (set && a == QLatin1String("--expert") && i + 1 < args.size()) {
            expertCode = args[++i];
        } else if (set && !a.startsWith(QLatin1String("--")) && a.contains(QLatin1Char('='))) {
            const qsizetype eq = a.indexOf(QLatin1Char('='));
            const QString path = a.left(eq);
            const qsizetype dot = path.indexOf(QLatin1Char('.'));
            const QString name = dot > 0 ? ParamRow::controlName(path.left(dot), path.mid(dot + 1)) : QString();
            if (!findParamRow(name)) {
                err(QStringLiteral("termivo: no such parameter \"%1\"").arg(path));
                return kParamsUsage;
            }
            changes.append({name, a.mid(eq + 1)});
        } else {
            err(QStringLiteral("termivo: unknown argument \"%1\"").arg(a));
            std::fputs(kUsage, stderr);
            return kParamsUsage;
        }
    }
    if (id.isEmpty() || (set && changes.isEmpty())) {
        std::fputs(kUsage, stderr);
        return kParamsUsage;
    }

    ProgramState state;
    state.reset(computeRootDir());
    try {
        // A line of the registry that was skipped is told on standard error, as in
        // every mode; the device's parameters still go to standard output.
        reportRegistryNotes(loadRegistry(state));
    } catch (const std::exception& e) {
        err(QStringLiteral("termivo: ") + errorText(e));
        return kParamsNoRegistry;
    }
    DeviceLink link(state.stop, linkSettingsFrom(state.Prog));  // the settings file's waits and tries
    const int index = FindDeviceByID(state, id);
    if (index < 0) {
        err(QStringLiteral("termivo: no registered device has the ID \"%1\"").arg(id));
        return kParamsUsage;
    }
    state.SelDevice = state.DevList[index];

    QuietObserver quiet;
    link.setObserver(&quiet);
    const ParamExchange exchange = [&](const QString& cmd) { return link.Write2Dev(cmd, state.SelDevice); };
    const QDateTime now = programNow();
    const _SYSTEMTIME clock = clockOf(now, state.Prog.calendar);
    const bool expert = !expertCode.isNull() && isExpertAccessCode(expertCode, now);
    if (!expertCode.isNull() && !expert) {
        err(QStringLiteral("termivo: \"%1\" is not the expert access code of this hour").arg(expertCode));
        return kParamsUsage;
    }

    ParameterSheet sheet;
    if (!set) {
        try {
            const QString reply = trimParamReply(exchange(paramcmd::kReadAll));
            const QByteArray bytes = reply.toLatin1();
            const auto doc =
                nlohmann::ordered_json::parse(bytes.constData(), bytes.constData() + bytes.size(), nullptr, false);
            if (doc.is_discarded() || !doc.is_object() || !doc.contains("Main") || !doc["Main"].is_object()) {
                err(QStringLiteral("termivo: ") + sheettext::kNoReply);
                return kParamsFailed;
            }
            out << QString::fromStdString(doc.dump(2)) << '\n';
            return kParamsOk;
        } catch (const std::exception& e) {
            err(QStringLiteral("termivo: ") + errorText(e));
            return kParamsFailed;
        }
    }

    try {
        if (!readFullSet(sheet, exchange, quiet, clock, expert)) return kParamsFailed;
        for (const Assignment& c : changes) {
            if (!sheet.controlNames.contains(c.name)) {
                err(QStringLiteral("termivo: the device has no parameter \"%1\"").arg(c.name.mid(3)));
                return kParamsUsage;
            }
            const ParamCell* cell = sheet.cell(c.name);
            QStringList messages;
            if (cell->row->kind == ParamKind::Index) {
                int pos = -1;  // not a position: the checks refuse it
                try {
                    pos = strToInt(c.value);
                } catch (const ConvertError&) {
                }
                messages = sheet.pick(c.name, pos);
            } else {
                messages = sheet.edit(c.name, c.value);
            }
            for (const QString& m : messages) quiet.message(m);
        }
        const QStringList problems = validationMessages(sheet);
        if (!problems.isEmpty()) {
            for (const QString& m : problems) quiet.message(m);
            return kParamsUsage;
        }
        const SendOutcome o = sendChanges(sheet, exchange, quiet, state.Prog.RootDir, clock, expert, state.journal);
        for (const QString& m : carryOverMessages(o.carried)) err(consoleText(m));
        for (const QString& path : o.carried.rewritten) out << "limits written into " << path << '\n';
        if (o.result != SendResult::Confirmed) return kParamsFailed;
        if (!o.carried.notWritten.isEmpty()) {
            for (const QString& path : o.carried.notWritten)
                err(QStringLiteral("termivo: the device took the new limits, but the header of \"%1\" still holds "
                                   "the old ones")
                        .arg(path));
            return kParamsHeadersLeft;
        }
        return kParamsOk;
    } catch (const std::exception& e) {
        err(QStringLiteral("termivo: ") + errorText(e));
        return kParamsFailed;
    }
}
