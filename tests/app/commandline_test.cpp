// The command line: the mode table's dispatch in process, and the program itself
// run without a display, so that anything that would open a window fails.
#include "app/commandline.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "platform/dialogs.h"
#include "support/fixtures.h"

namespace {

// The arguments the fake modes were run with.
QStringList& ranArguments()
{
    static QStringList ran;
    return ran;
}

const CommandMode kFakeModes[] = {
    {"--alpha", "the first mode", [] { return QStringLiteral("usage: termivo --alpha [--x N]\n"); }, nullptr,
     [](const QStringList& a, QTextStream&, QTextStream&) {
         ranArguments() = a;
         return 7;
     }},
    {"--beta", "the second mode", nullptr, [](const QStringList& a) { return a.value(0) == QLatin1String("--beta"); },
     [](const QStringList& a, QTextStream&, QTextStream&) {
         ranArguments() = a;
         return 0;
     }},
};

struct Choice
{
    CommandChoice choice;
    QString out;
    QString err;
};

Choice choose(const QStringList& args)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    ranArguments().clear();
    const CommandChoice c = chooseCommand(args, kFakeModes, QStringLiteral("9.1"), o, e);
    o.flush();
    e.flush();
    return {c, out, err};
}

TEST(CommandLine, ChoosesTheModeTheWindowOrAnswersItself)
{
    using K = CommandChoice::Kind;
    struct Case
    {
        QStringList args;
        K kind;
        int status;
        const char* mode;  // the chosen mode, or nullptr
        const char* out;   // contained in standard output
        const char* err;   // contained in standard error ("" : nothing on it)
    };
    const Case cases[] = {
        {{}, K::Window, 0, nullptr, "", ""},
        {{"7/A1_Temp.rep"}, K::Window, 0, nullptr, "", ""},
        {{"-platform", "offscreen", "-reverse", "--style=fusion", "a.rep"}, K::Window, 0, nullptr, "", ""},
        {{"--", "-odd name.rep"}, K::Window, 0, nullptr, "", ""},
        {{"--alpha", "--x", "1"}, K::Mode, 0, "--alpha", "", ""},
        {{"--beta"}, K::Mode, 0, "--beta", "", ""},
        {{"--alpha", "--help"}, K::Done, 0, "--alpha", "usage: termivo --alpha [--x N]\n", ""},
        {{"--beta", "--help"}, K::Mode, 0, "--beta", "", ""},  // a mode without help text answers it itself
        {{"--help"}, K::Done, 0, nullptr, "--alpha  the first mode\n  --beta   the second mode\n", ""},
        {{"-h", "a.rep"}, K::Done, 0, nullptr, "usage: termivo [--root DIR] [REPORT_FILE]", ""},
        {{"--version"}, K::Done, 0, nullptr, "termivo 9.1\n", ""},
        {{"--gamma"}, K::Done, 2, nullptr, "", "termivo: unknown option \"--gamma\" (see \"termivo --help\")\n"},
        {{"-x"}, K::Done, 2, nullptr, "", "unknown option \"-x\""},
        {{"a.rep", "--verbose"}, K::Done, 2, nullptr, "", "unknown option \"--verbose\""},
        {{"a.rep", "b.rep"}, K::Done, 2, nullptr, "", "more than one report file"},
        {{"a.rep", "-style"}, K::Done, 2, nullptr, "", "-style needs a value"},
        // The window's own root folder, before or after the report file.
        {{"--root", "/", "a.rep"}, K::Window, 0, nullptr, "", ""},
        {{"a.rep", "--root=/tmp"}, K::Window, 0, nullptr, "", ""},
        {{"--root"}, K::Done, 2, nullptr, "", "option --root needs a folder"},
        {{"--root="}, K::Done, 2, nullptr, "", "option --root needs a folder"},
        {{"--root", "/no/such/termivo/root"}, K::Done, 2, nullptr, "", "the root folder \"/no/such/termivo/root\""},
        {{"--root", "/", "a.rep", "b.rep"}, K::Done, 2, nullptr, "", "more than one report file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const Choice r = choose(c.args);
        EXPECT_EQ(r.choice.kind, c.kind);
        EXPECT_EQ(r.choice.status, c.status);
        EXPECT_EQ(r.choice.mode ? QString::fromLatin1(r.choice.mode->option) : QString(),
                  c.mode ? QString::fromLatin1(c.mode) : QString());
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.out))) << r.out.toStdString();
        if (*c.err) {
            EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.err))) << r.err.toStdString();
            EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << "one line";
        } else {
            EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        }
    }
    // The dispatch only chooses: nothing ran.
    EXPECT_TRUE(ranArguments().isEmpty());
}

TEST(CommandLine, TheWindowsRootOptionIsTakenOutOfItsArguments)
{
    struct Case
    {
        QStringList args;
        QStringList rest;
        const char* root;
    };
    const Case cases[] = {
        {{"--root", "/srv/lab", "a.rep"}, {"a.rep"}, "/srv/lab"},
        {{"-style", "fusion", "--root=/srv/lab"}, {"-style", "fusion"}, "/srv/lab"},
        {{"a.rep"}, {"a.rep"}, ""},
        // After "--" it is a file name.
        {{"--", "--root"}, {"--", "--root"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        QStringList args = c.args;
        EXPECT_EQ(takeRootOption(args), QString::fromUtf8(c.root));
        EXPECT_EQ(args, c.rest);
    }
    EXPECT_EQ(choose({"--root", "/", "a.rep"}).choice.rootFolder, QStringLiteral("/"));
}

TEST(CommandLine, ConsoleTextBreaksLinesWithLineFeeds)
{
    EXPECT_EQ(consoleText(QStringLiteral("a\r\nb\rc\n\rd")), QStringLiteral("a\nb\nc\n\nd"));
}

// The program itself, without a display: a window would fail to open there.
class ProgramCommandLine : public RootFixture
{
protected:
    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };
    Run run(const QStringList& args)
    {
        const ProgramRun r = runTermivo(args);
        return {r.code, r.out, r.err};
    }
};

TEST_F(ProgramCommandLine, HelpVersionAndEveryModesHelp)
{
    const Run help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.err.isEmpty());
    const QStringList modes{"--export-table", "--download-all", "--list-ports"};
    for (const QString& mode : modes) {
        SCOPED_TRACE(mode.toStdString());
        EXPECT_TRUE(help.out.contains(QStringLiteral("  ") + mode + QStringLiteral("  "))) << help.out.toStdString();
        const Run r = run({mode, "--help"});
        EXPECT_EQ(r.code, 0);
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("usage: termivo ") + mode)) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(QStringLiteral("Exit status")));
    }
    const Run version = run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("termivo 2."))) << version.out.toStdString();
}

TEST_F(ProgramCommandLine, BadCommandLinesAreOneLineAndStatusTwo)
{
    const QStringList cases[] = {
        {"--bogus"},
        {"a.rep", "b.rep"},
        {"--download-all", "--root"},
        {"--download-all", "--root", path("missing")},
        {"--download-all", "--fast"},
        {"--list-ports", "--root"},
        {"--list-ports", "--all"},
        {"--export-table", path("a.rep"), "--out", path("t.txt"), "--colour"},
        {"--export-table", path("a.rep"), "--out"},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const Run r = run(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("termivo: "))) << r.err.toStdString();
        EXPECT_TRUE(r.err.endsWith(QStringLiteral(" --help\")\n"))) << r.err.toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    }
}

// A device whose serial port cannot be opened: the multi-line message reaches the
// terminal with line feeds, not carriage returns.
TEST_F(ProgramCommandLine, MultiLineMessagesUseLineFeeds)
{
    writeLines(path("DeviceStatus.txt"), {"device  =Store,COM9,Cold,,,,B,T,wireless,"});
    const Run r = run({"--download-all", "--root", root()});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.out.contains(QLatin1Char('\r'))) << r.out.toStdString();
    EXPECT_FALSE(r.err.contains(QLatin1Char('\r'))) << r.err.toStdString();
    EXPECT_GT((r.out + r.err).count(QLatin1Char('\n')), 2);
}

// Each COM name with the device it opens; a link under dosdevices/ with its target.
TEST_F(ProgramCommandLine, ListPortsNamesTheDeviceOfEachComName)
{
    QDir().mkpath(path("dosdevices"));
    ASSERT_TRUE(QFile::link("/dev/null", path("dosdevices/com7")));
    const Run r = run({"--list-ports", "--root", root()});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("COM7   ") + path("dosdevices/com7") + " -> /dev/null ("))
        << r.out.toStdString();
}

}  // namespace
