#include "support/fixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include "app/calendar.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/rootdir.h"
#include "platform/textfile.h"

void writeFileBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

void writeLines(const QString& path, const QStringList& lines)
{
    writeFileBytes(path, encodeTextFile(lines, TextEncoding::Ansi));
}

QByteArray readFileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

QMap<QString, QByteArray> recordFiles(const QString& root)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(root, {QStringLiteral("*.rep"), QStringLiteral("last_refresh.txt")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        files.insert(p.mid(root.size()), readFileBytes(p));
    }
    return files;
}

QStringList readLines(const QString& path)
{
    return decodeTextFile(readFileBytes(path)).lines;
}

QDateTime fixedTestNow()
{
    return QDateTime(QDate(2026, 7, 1), QTime(10, 30));  // 1405/4/10
}

QString fixedTestNowText()
{
    return fixedTestNow().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm"));
}

ProgramRun runTermivo(const QStringList& args, const ProgramRunOptions& options)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display, and the root folder only from the arguments or the test's own variables.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "TERMIVO_ROOT"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("TERMIVO_NOW"), fixedTestNowText());
    for (const auto& [name, value] : options.env) env.insert(name, value);
    p.setProcessEnvironment(env);
    if (options.mergeOutput) p.setProcessChannelMode(QProcess::MergedChannels);
    if (!options.workingDir.isEmpty()) p.setWorkingDirectory(options.workingDir);
    p.start(options.program.isEmpty() ? QStringLiteral(TERMIVO_BINARY_DIR "/termivo") : options.program, args);
    if (!p.waitForFinished(options.timeoutMs)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << "still running after " << options.timeoutMs << " ms: " << args.join(' ').toStdString();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

void RootFixture::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    m_root = m_dir.path() + QLatin1Char('/');
    setRootDirOverride(m_dir.path());
    resetProgram(m_state, *m_link);
    setProgramNowForTests(fixedTestNow());
    setDialogs(&dlg);
}

void RootFixture::TearDown()
{
    setDialogs(nullptr);
    setRootDirOverride(QString());
    setProgramNowForTests(QDateTime());
    for (const QString& p : dlg.problems()) ADD_FAILURE() << p.toStdString();
}

#include <signal.h>
#include <sys/resource.h>

FileSizeLimit::FileSizeLimit(long maxBytes)
{
    rlimit lim{};
    getrlimit(RLIMIT_FSIZE, &lim);
    m_oldSoft = lim.rlim_cur;
    m_oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    lim.rlim_cur = static_cast<rlim_t>(maxBytes);
    setrlimit(RLIMIT_FSIZE, &lim);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit lim{};
    getrlimit(RLIMIT_FSIZE, &lim);
    lim.rlim_cur = m_oldSoft;
    setrlimit(RLIMIT_FSIZE, &lim);
    ::signal(SIGXFSZ, m_oldHandler);
}

void replayCorpus(const QString& name, int (*target)(const uint8_t*, size_t))
{
    const QDir dir(QStringLiteral(TERMIVO_SOURCE_DIR "/fuzz/corpus/") + name);
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty()) << dir.path().toStdString();
    for (const QString& file : files) {
        const QByteArray bytes = readFileBytes(dir.filePath(file));
        EXPECT_EQ(target(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())), 0)
            << file.toStdString();
    }
}

void changeLinkSettings(DeviceLink& link, const std::function<void(LinkSettings&)>& change)
{
    LinkSettings s = link.settings();
    change(s);
    link.setSettings(s);
}
