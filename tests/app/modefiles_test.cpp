// The files of the command-line modes: every output follows one rule (a new file or
// an existing regular file, never the program's own files or the mode's input), and
// every input must be a regular file of bounded size. The rule is checked in
// process, then the program runs as it is installed: its executable in the root
// folder, beside the registry, the ledger and the year folders.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/outputtarget.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "support/fixtures.h"
#include "support/reportlines.h"

namespace {

// What a path is now: its kind, its inode, a link's target and a file's bytes, so
// that any replacement or change shows.
QByteArray stateOf(const QString& path)
{
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return "missing";
    QByteArray s = QByteArray::number(st.st_mode) + ':' + QByteArray::number(qulonglong(st.st_ino)) + ':' +
                   QByteArray::number(qulonglong(st.st_rdev));
    if (S_ISLNK(st.st_mode)) s += QFile::encodeName(QFile::symLinkTarget(path));
    if (S_ISREG(st.st_mode)) s += readFileBytes(path);
    return s;
}

// A private device node with the numbers of /dev/null, so that nothing of the
// system can be harmed; false where nodes cannot be made.
bool makeNullNode(const QString& path)
{
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}

class ModeFilesTest : public RootFixture
{
protected:
    void SetUp() override
    {
        RootFixture::SetUp();
        writeRegistryAndLedger();
        writeLines(report(), {reportHeader(), fullDayT(7, 1, 20.5), dayLineT(7, 2, {21, 22})});
    }
    void writeRegistryAndLedger()
    {
        for (const char* name : {"DeviceStatus.txt", "last_refresh.txt"}) QFile::remove(path(name));
        writeLines(path("DeviceStatus.txt"), {"timeout = 500,100,300"});  // no device: the sweep is at once
        writeLines(path("last_refresh.txt"), {"ID,Type,Sensor,0,Year,Month,Day,Hour,Minute,"});
    }
    QString report() const { return path("3/A1_Temp.rep"); }

    // The program as a lab installs it: its executable in the root folder.
    QString installedProgram()
    {
        QString program = path("termivo");
        if (QFileInfo::exists(program)) return program;
        if (::link(TERMIVO_BINARY_DIR "/termivo", QFile::encodeName(program).constData()) != 0) {
            EXPECT_TRUE(QFile::copy(QStringLiteral(TERMIVO_BINARY_DIR "/termivo"), program));
        }
        return program;
    }

    // Runs the installed program; a run that does not end within 20 s is killed.
    ProgramRun run(const QStringList& args)
    {
        return runTermivo(args, {.program = installedProgram(), .timeoutMs = 20000});
    }
};

// The one rule, in one place: everything a replace-whole write would destroy is
// refused before anything is written.
TEST_F(ModeFilesTest, TheOutputRuleRefusesWhatAWriteWouldDestroy)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    QFile::link("/dev/null", path("null-link"));
    QFile::link(path("missing"), path("dangling"));
    QFile::link(path("DeviceStatus.txt"), path("registry-link.txt"));
    ASSERT_EQ(::link(QFile::encodeName(path("last_refresh.txt")).constData(),
                     QFile::encodeName(path("ledger-copy.txt")).constData()),
              0);
    QDir().mkpath(path("folder"));
    QDir().mkpath(path("other/3"));
    writeFileBytes(path("other/old.txt"), "old");
    QFile::link(path("other/old.txt"), path("old-link.txt"));

    const QString refused[] = {
        "/dev/null",
        "/dev/full",
        path("null-link"),
        path("fifo"),
        path("folder"),
        path("dangling"),
        path("DeviceStatus.txt"),
        path("DEVICESTATUS.TXT"),
        path("registry-link.txt"),
        path("Last_Refresh.txt"),
        path("ledger-copy.txt"),
        report(),
        path("3/../3/a1_temp.REP"),
        path("3/B2_New.rep"),
        path("input.txt"),
        QCoreApplication::applicationFilePath(),
    };
    writeFileBytes(path("input.txt"), "in");
    for (const QString& out : refused) {
        SCOPED_TRACE(out.toStdString());
        try {
            checkOutputTarget(out, {path("input.txt")});
            ADD_FAILURE() << "not refused";
        } catch (const FileError& e) {
            EXPECT_TRUE(e.text().endsWith("nothing was written.")) << e.text().toStdString();
        }
    }
    // New files, regular files and links to them, and names of the program's files
    // outside the root folder or outside a year folder.
    for (const QString& out : {path("table.txt"), path("other/old.txt"), path("old-link.txt"), path("A1_Temp.rep"),
                               path("other/3/A1_Temp.rep"), path("other/DeviceStatus.txt"), path("folder/x.png")}) {
        SCOPED_TRACE(out.toStdString());
        EXPECT_NO_THROW(checkOutputTarget(out, {path("input.txt")}));
    }
}

// Every mode that writes an output takes the rule: refused targets stay exactly as
// they were, status 1, and the rule's own message.
TEST_F(ModeFilesTest, EveryModesOutputFollowsTheRule)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.png")).constData(), 0600), 0);
    const bool nodes = makeNullNode(path("node.png"));
    QFile::link(path("node.png"), path("node-link.png"));
    QDir().mkpath(path("folder.png"));
    QFile::link(path("missing"), path("dangling.png"));
    QFile::link(path("DeviceStatus.txt"), path("registry-link.png"));
    QFile::link(installedProgram(), path("program-link.png"));
    QFile::link(report(), path("input-link.png"));

    enum Modes { Table = 1, Chart = 2, Poll = 4, History = 8, All = 15 };
    struct Target
    {
        const char* name;
        int modes;  // the chart takes only .wmf, .png and .pdf names
    };
    const Target targets[] = {
        {"fifo.png", All},
        {"node.png", All},
        {"node-link.png", All},
        {"folder.png", All},
        {"dangling.png", All},
        {"registry-link.png", All},
        {"program-link.png", All},
        {"input-link.png", Table | Chart},
        {"DeviceStatus.txt", Table | Poll | History},
        {"LAST_REFRESH.TXT", Table | Poll | History},  // a second spelling would become the ledger
        {"3/A1_Temp.rep", Table | Poll | History},
        {"3/B2_New.rep", Table | Poll | History},
    };
    auto args = [&](int mode, const QString& out) -> QStringList {
        if (mode == Table) return {"--export-table", report(), "--out", out};
        if (mode == Chart) return {"--export-chart", report(), "--out", out};
        if (mode == History) return {"--export-openmetrics", "--out", out};
        return {"--poll-once", "--out", out};
    };
    for (const Target& t : targets) {
        if (!nodes && QString(t.name).startsWith("node")) continue;
        const QString out = path(t.name);
        for (int mode : {Table, Chart, Poll, History}) {
            if (!(t.modes & mode)) continue;
            SCOPED_TRACE(args(mode, out).join(' ').toStdString());
            const QByteArray before = stateOf(out);
            const QByteArray resolved = stateOf(QFileInfo(out).canonicalFilePath());
            const ProgramRun r = run(args(mode, out));
            EXPECT_EQ(r.code, 1);
            EXPECT_TRUE(r.err.contains("nothing was written")) << r.err.toStdString();
            EXPECT_EQ(stateOf(out), before);
            EXPECT_EQ(stateOf(QFileInfo(out).canonicalFilePath()), resolved);
        }
    }
    EXPECT_FALSE(QFileInfo::exists(path("missing")));

    // What the rule lets through is written: a new file, and a regular file through a link
    // (the history export needs a registered device: its own test writes one).
    writeFileBytes(path("other/old.png"), "old");
    QFile::link(path("other/old.png"), path("old-link.png"));
    for (int mode : {Table, Chart, Poll}) {
        for (const QString& out : {path(QStringLiteral("new%1.png").arg(mode)), path("old-link.png")}) {
            SCOPED_TRACE(args(mode, out).join(' ').toStdString());
            const ProgramRun r = run(args(mode, out));
            EXPECT_EQ(r.code, 0) << r.err.toStdString();
            EXPECT_TRUE(QFileInfo(out).isFile());
        }
        EXPECT_TRUE(QFileInfo(path("old-link.png")).isSymLink());
        EXPECT_NE(readFileBytes(path("other/old.png")), "old");
        writeFileBytes(path("other/old.png"), "old");
    }
}

// An input that is no regular file is refused with a message at once: a FIFO blocks
// nothing, /dev/zero is not read without end, a file past the text files' limit is
// not taken in.
TEST_F(ModeFilesTest, EveryModesInputMustBeARegularFileOfBoundedSize)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.rep")).constData(), 0600), 0);
    QFile::link("/dev/zero", path("zero.rep"));
    QDir().mkpath(path("folder.rep"));
    {
        QFile big(path("big.rep"));  // sparse: no disk space taken
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write(encodeTextFile({reportHeader(), fullDayT(7, 1, 20.5)}, TextEncoding::Ansi));
        ASSERT_TRUE(big.resize(65 * 1024 * 1024));
    }
    struct Case
    {
        const char* what;
        QStringList args;
        const char* file;
        int code;
    };
    const QString out = path("out.png");
    QList<Case> cases;
    for (const char* mode : {"--export-table", "--export-chart"})
        for (const char* file : {"fifo.rep", "zero.rep", "folder.rep", "big.rep"})
            cases.append({mode, {mode, path(file), "--out", out}, file, 1});
    for (const char* mode : {"--download-all", "--poll-once"}) {
        cases.append({"registry FIFO", {mode}, "DeviceStatus.txt", 4});
        cases.append({"registry /dev/zero", {mode}, "DeviceStatus.txt", 4});
        cases.append({"ledger FIFO", {mode}, "last_refresh.txt", 4});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE((c.what + QStringLiteral(" ") + c.args.join(' ')).toStdString());
        const QString file = path(c.file);
        if (c.args.size() == 1) {  // the registry or the ledger in place
            QFile::remove(file);
            if (QString(c.what).contains("FIFO"))
                ASSERT_EQ(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
            else
                QFile::link("/dev/zero", file);
        }
        const ProgramRun r = run(c.args);
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QFileInfo(file).fileName())) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
        if (c.args.size() == 1) writeRegistryAndLedger();
    }
}

}  // namespace
