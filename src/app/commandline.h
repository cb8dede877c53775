// The command line: the modes that run without the main window, "--help", "--version"
// and the window's own arguments (one optional report file and Qt's options).
//
//   termivo [--root DIR] [REPORT_FILE]   the main window (on REPORT_FILE)
//   termivo MODE [OPTIONS]          a mode without the main window
//   termivo MODE --help             the options of a mode
//   termivo --help | --version
//
// A mode is one line of a table (see main.cpp): its option, a one-line summary, its
// help text, how it is recognised and how it runs. A bad command line is a usage
// error: one line on standard error with a hint to "--help", exit status 2.
#pragma once

#include <span>

#include <QString>
#include <QStringList>
#include <QTextStream>

// Exit status of a bad command line, for every mode.
constexpr int kUsageStatus = 2;

// Which application object a mode needs.
enum class CommandApp {
    Core,  // QCoreApplication: no display
    Gui,   // QApplication: fonts and painting (on the offscreen platform without a display)
};

struct CommandMode
{
    const char* option;   // "--export-table"
    const char* summary;  // one line for "termivo --help"
    // The mode's "--help" text; nullptr when the mode answers "--help" itself.
    QString (*help)();
    // True when the arguments (without the program name) ask for this mode;
    // nullptr: when they contain the option.
    bool (*matches)(const QStringList& args);
    // Runs the mode; args without the program name. Returns the exit status.
    int (*run)(const QStringList& args, QTextStream& out, QTextStream& err);
    CommandApp app = CommandApp::Core;
};

// What main is to do with its arguments.
struct CommandChoice
{
    enum Kind {
        Done,    // answered already (help, version, usage error): exit with status
        Mode,    // run mode
        Window,  // open the main window
    };
    Kind kind = Window;
    int status = 0;
    const CommandMode* mode = nullptr;
    QString rootFolder = {};  // the window's "--root DIR", empty when not given
};

// Reads the arguments (without the program name). Answers "--help", "--version",
// "MODE --help" and usage errors of the window's arguments on out/err itself.
CommandChoice chooseCommand(const QStringList& args, std::span<const CommandMode> modes, const QString& version,
                            QTextStream& out, QTextStream& err);

// Takes the window's "--root DIR" (or "--root=DIR") out of args, before a "--", and
// returns DIR: empty when not given. A "--root" without its folder gives error.
QString takeRootOption(QStringList& args, QString* error = nullptr);

// Writes the one-line usage error of a mode ("" for the window) and returns kUsageStatus:
//   termivo: TEXT (see "termivo MODE --help")
int commandUsageError(QTextStream& err, const QString& mode, const QString& text);

// Makes dir the root folder of the run ("--root DIR"); a folder that does not exist is
// mode's usage error. Returns 0 or kUsageStatus.
int useRootFolder(const QString& dir, const QString& mode, QTextStream& err);

// The arguments of main, decoded from the locale's encoding, without the program name.
QStringList commandArguments(int argc, char* argv[]);
