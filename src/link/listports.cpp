#include "link/listports.h"

#include <QFileInfo>

#include "app/commandline.h"
#include "app/rootdir.h"

namespace {
const QString kMode = QStringLiteral("--list-ports");
}  // namespace

QString listPortsHelp()
{
    return QStringLiteral(
        "usage: termivo --list-ports [--root DIR]\n"
        "Lists the serial ports by the COM names that device lines give, each with the device it opens:\n"
        "the links dosdevices/comN under the root folder, then the system's ports, whose numbers\n"
        "follow their kernel names: /dev/ttyS0..31 are COM1..COM32, /dev/ttyUSB0..31 COM33..COM64,\n"
        "/dev/ttyACM0..31 COM65..COM96, other ports COM97 upwards. A link hides the system port\n"
        "of the same number.\n"
        "  --root DIR     the root folder (default: see \"termivo --help\")\n"
        "Exit status: 0 ports listed, 1 no serial port found, 2 bad command line.\n");
}

bool isListPortsCommand(const QStringList& args)
{
    return args.contains(kMode);
}

QStringList portListLines(const QList<SerialPortEntry>& ports)
{
    QStringList lines;
    for (const SerialPortEntry& p : ports) {
        const QFileInfo fi(p.location);
        QString device = p.location;
        if (fi.isSymLink()) device += QStringLiteral(" -> ") + fi.symLinkTarget();
        lines << QStringLiteral("%1 %2 (%3)").arg(p.portName, -6).arg(device, p.deviceName);
    }
    return lines;
}

int runListPorts(const QStringList& args, QTextStream& out, QTextStream& err)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == kMode) continue;
        if (a == QLatin1String("--root")) {
            if (i + 1 >= args.size()) return commandUsageError(err, kMode, QStringLiteral("--root needs a folder"));
            if (const int status = useRootFolder(args[++i], kMode, err)) return status;
        } else {
            return commandUsageError(err, kMode, QStringLiteral("unknown option \"%1\"").arg(a));
        }
    }
    const QStringList lines = portListLines(serialPortList(computeRootDir()));
    for (const QString& l : lines) out << l << '\n';
    out.flush();
    if (lines.isEmpty()) {
        err << "termivo: no serial port found\n";
        err.flush();
        return 1;
    }
    return 0;
}
