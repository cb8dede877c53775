// The root folder's order: "--root", TERMIVO_ROOT, the configuration file's key
// "root", the executable's folder.
#include "app/rootdir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "support/fixtures.h"

namespace {

TEST(RootFolder, ComesFromTheFirstSourceGiven)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString t = tmp.path();
    const QString conf = t + QStringLiteral("/etc/termivo.conf");
    writeFileBytes(conf, "# the lab's records\n\n  Root =  /var/lib/termivo  \r\n");
    const QString relativeConf = t + QStringLiteral("/etc/relative.conf");
    writeFileBytes(relativeConf, "root = records/\nroot = ../shared\n");  // the last key counts
    const QString noKey = t + QStringLiteral("/etc/nokey.conf");
    writeFileBytes(noKey, "; nothing here\nroots = /elsewhere\n= /nowhere\n");
    const QString missing = t + QStringLiteral("/etc/missing.conf");
    const QString cwd = QDir::currentPath();
    const QString exe = QStringLiteral("/opt/termivo");

    using S = RootSource;
    struct Case
    {
        const char* name;
        RootInputs in;
        QString dir;
        RootSource source;
    };
    const Case cases[] = {
        {"the option before everything", {"/srv/opt//", "/srv/env", conf, exe}, "/srv/opt/", S::Option},
        {"the environment before the file", {"", "/srv/env", conf, exe}, "/srv/env/", S::Environment},
        {"the file's key", {"", "", conf, exe}, "/var/lib/termivo/", S::ConfigFile},
        {"a relative key from the file's folder", {"", "", relativeConf, exe}, t + "/shared/", S::ConfigFile},
        {"a file without the key", {"", "", noKey, exe}, "/opt/termivo/", S::ExecutableFolder},
        {"a missing file", {"", "", missing, exe}, "/opt/termivo/", S::ExecutableFolder},
        {"a folder as the file", {"", "", t, exe}, "/opt/termivo/", S::ExecutableFolder},
        {"no file at all", {"", "", "", exe}, "/opt/termivo/", S::ExecutableFolder},
        {"a relative option from the working folder",
         {"lab/./records", "", conf, exe},
         cwd + "/lab/records/",
         S::Option},
        {"a relative environment", {"", "records", conf, exe}, cwd + "/records/", S::Environment},
        {"the root of the file system", {"/", "", "", exe}, "/", S::Option},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RootChoice r = chooseRootFolder(c.in);
        EXPECT_EQ(r.dir, c.dir);
        EXPECT_EQ(r.source, c.source);
    }
}

// The program as a process: the environment's root folder reaches the modes, and the
// option still comes first.
TEST(RootFolder, TheProgramTakesTheEnvironmentsFolder)
{
    QTemporaryDir env, opt;
    ASSERT_TRUE(env.isValid() && opt.isValid());
    QDir(env.path()).mkpath(QStringLiteral("dosdevices"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), env.path() + QStringLiteral("/dosdevices/com7")));
    const ProgramRun fromEnv = runTermivo({"--list-ports"}, {.env = {{"TERMIVO_ROOT", env.path()}}});
    EXPECT_TRUE(fromEnv.out.contains(QStringLiteral("COM7"))) << fromEnv.out.toStdString();
    const ProgramRun fromOption =
        runTermivo({"--list-ports", "--root", opt.path()}, {.env = {{"TERMIVO_ROOT", env.path()}}});
    EXPECT_FALSE(fromOption.out.contains(QStringLiteral("COM7"))) << fromOption.out.toStdString();
}

}  // namespace
