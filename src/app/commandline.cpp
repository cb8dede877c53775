#include "app/commandline.h"

#include <QFileInfo>

#include "app/rootdir.h"

namespace {

// Qt's own options of a window program, which QApplication takes out of the arguments.
const char* const kQtValueOptions[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "style",  "stylesheet",
    "display",     "geometry",           "title",         "name"};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

bool isHelp(const QString& a)
{
    return a == QLatin1String("--help") || a == QLatin1String("-h");
}

bool matches(const CommandMode& m, const QStringList& args)
{
    return m.matches ? m.matches(args) : args.contains(QLatin1String(m.option));
}

QString generalHelp(std::span<const CommandMode> modes)
{
    QString text = QStringLiteral(
        "usage: termivo [--root DIR] [REPORT_FILE]   open the main window (on REPORT_FILE)\n"
        "       termivo MODE [OPTIONS]                run a mode without the main window\n"
        "       termivo MODE --help                   the options of a mode\n"
        "\n"
        "modes:\n");
    qsizetype width = 0;
    for (const CommandMode& m : modes) width = qMax(width, qsizetype(qstrlen(m.option)));
    for (const CommandMode& m : modes)
        text += QStringLiteral("  %1  %2\n").arg(QLatin1String(m.option), -int(width)).arg(QLatin1String(m.summary));
    text += QStringLiteral(
        "\n"
        "options:\n"
        "  --root DIR     the root folder of the records (the modes take it too)\n"
        "  --help, -h     this text\n"
        "  --version      the program's version\n"
        "\n"
        "The window also takes Qt's own options (-platform, -style, -reverse, ...).\n"
        "The root folder is --root DIR, else the environment variable TERMIVO_ROOT, else\n"
        "the key \"root\" of %1, else the folder of the executable.\n"
        "Exit status: 0 done, 2 bad command line; each mode's --help lists its others.\n");
    return text.arg(kSystemConfigFile);
}

// Checks the window's arguments: Qt's options and at most one report file.
QString windowArgumentsError(const QStringList& args)
{
    int files = 0;
    bool optionsEnd = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (optionsEnd || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            if (++files > 1) return QStringLiteral("more than one report file given (\"%1\")").arg(a);
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        const QString name = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1).section(QLatin1Char('='), 0, 0);
        bool known = false;
        for (const char* o : kQtFlags) known = known || name == QLatin1String(o);
        for (const char* o : kQtValueOptions) {
            if (name != QLatin1String(o)) continue;
            known = true;
            if (!a.contains(QLatin1Char('=')) && ++i >= args.size())
                return QStringLiteral("option %1 needs a value").arg(a);
        }
        if (!known) return QStringLiteral("unknown option \"%1\"").arg(a);
    }
    return {};
}

}  // namespace

int commandUsageError(QTextStream& err, const QString& mode, const QString& text)
{
    const QString help =
        mode.isEmpty() ? QStringLiteral("termivo --help") : QStringLiteral("termivo %1 --help").arg(mode);
    err << "termivo: " << text << " (see \"" << help << "\")\n";
    err.flush();
    return kUsageStatus;
}

CommandChoice chooseCommand(const QStringList& args, std::span<const CommandMode> modes, const QString& version,
                            QTextStream& out, QTextStream& err)
{
    for (const CommandMode& m : modes) {
        if (!matches(m, args)) continue;
        if (m.help && std::any_of(args.begin(), args.end(), isHelp)) {
            out << m.help();
            if (!m.help().endsWith(QLatin1Char('\n'))) out << '\n';
            out.flush();
            return {CommandChoice::Done, 0, &m};
        }
        return {CommandChoice::Mode, 0, &m};
    }
    const qsizetype end = args.indexOf(QLatin1String("--"));
    const QStringList options = end < 0 ? args : args.mid(0, end);
    if (std::any_of(options.begin(), options.end(), isHelp)) {
        out << generalHelp(modes);
        out.flush();
        return {CommandChoice::Done, 0, nullptr};
    }
    if (options.contains(QLatin1String("--version"))) {
        out << "termivo " << version << '\n';
        out.flush();
        return {CommandChoice::Done, 0, nullptr};
    }
    QStringList windowArgs = args;
    QString error;
    const QString root = takeRootOption(windowArgs, &error);
    if (error.isEmpty()) error = windowArgumentsError(windowArgs);
    if (error.isEmpty() && !root.isEmpty() && !QFileInfo(root).isDir())
        error = QStringLiteral("the root folder \"%1\" does not exist").arg(root);
    if (!error.isEmpty()) return {CommandChoice::Done, commandUsageError(err, QString(), error), nullptr};
    return {CommandChoice::Window, 0, nullptr, root};
}

QString takeRootOption(QStringList& args, QString* error)
{
    QString root;
    for (qsizetype i = 0; i < args.size() && args[i] != QLatin1String("--");) {
        if (args[i].startsWith(QLatin1String("--root="))) {
            root = args.takeAt(i).mid(7);
            if (root.isEmpty()) {
                if (error) *error = QStringLiteral("option --root needs a folder");
                return {};
            }
        } else if (args[i] == QLatin1String("--root")) {
            args.removeAt(i);
            if (i >= args.size() || args[i] == QLatin1String("--") || args[i].isEmpty()) {
                if (error) *error = QStringLiteral("option --root needs a folder");
                return {};
            }
            root = args.takeAt(i);
        } else {
            ++i;
        }
    }
    return root;
}

QStringList commandArguments(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}

int useRootFolder(const QString& dir, const QString& mode, QTextStream& err)
{
    if (!QFileInfo(dir).isDir())
        return commandUsageError(err, mode, QStringLiteral("the root folder \"%1\" does not exist").arg(dir));
    setRootDirOverride(dir);
    return 0;
}
