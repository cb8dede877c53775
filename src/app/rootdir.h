// The root folder, ending in "/": every data file (registry, ledger, year folders,
// settings, dosdevices/) lives under it. It is chosen, first to last, by
//   1. the command line's "--root DIR" (setRootDirOverride),
//   2. the environment variable TERMIVO_ROOT,
//   3. the key "root" of the system configuration file (kSystemConfigFile),
//   4. the folder of the program's executable.
#pragma once

#include <QString>

// Where the root folder came from.
enum class RootSource {
    Option,
    Environment,
    ConfigFile,
    ExecutableFolder,
};

// What the choice looks at; an empty text is "not given".
struct RootInputs
{
    QString option;         // "--root DIR"
    QString environment;    // TERMIVO_ROOT
    QString configFile;     // the configuration file's path (it may be missing)
    QString executableDir;  // the folder of the executable
};

struct RootChoice
{
    QString dir;  // absolute, ending in "/"
    RootSource source = RootSource::ExecutableFolder;
};

// The root folder from its inputs, first to last as above. A relative folder is taken
// from the working folder (from the configuration file's folder for its key). A
// missing or unreadable configuration file, or one without the key, is skipped.
RootChoice chooseRootFolder(const RootInputs& inputs);

// The value of the key "root" ("root = /var/lib/termivo") of a configuration file:
// lines "key = value", blank lines and lines starting with "#" or ";" are ignored.
// Empty when the file is missing, unreadable or has no such key.
QString configuredRootFolder(const QString& configFile);

// The system configuration file (/etc/termivo/termivo.conf in the installed program).
extern const QString kSystemConfigFile;

// The root folder of this run, from the option given, the environment, the system
// configuration file and the executable's folder.
QString computeRootDir();
// "--root DIR" of this run; tests and tools point the program at another folder with
// it, and an empty text takes it back.
void setRootDirOverride(const QString& dir);
