#include "app/rootdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "platform/errors.h"
#include "platform/textfile.h"

#ifndef TERMIVO_SYSTEM_CONFIG
#define TERMIVO_SYSTEM_CONFIG "/etc/termivo/termivo.conf"
#endif

const QString kSystemConfigFile = QStringLiteral(TERMIVO_SYSTEM_CONFIG);

namespace {
QString g_override;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables): --root folder, set by tests

QString withOneSeparator(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/'))) dir.chop(1);
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}

QString absoluteFolder(const QString& dir, const QString& base)
{
    return withOneSeparator(QDir::cleanPath(QDir(base).absoluteFilePath(dir)));
}
}  // namespace

QString configuredRootFolder(const QString& configFile)
{
    if (configFile.isEmpty() || !QFileInfo(configFile).isFile()) return {};
    QStringList lines;
    try {
        lines = readTextFile(configFile).lines;
    } catch (const FileError&) {
        return {};
    }
    QString root;
    for (const QString& line : lines) {
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1Char('#')) || t.startsWith(QLatin1Char(';'))) continue;
        const qsizetype eq = t.indexOf(QLatin1Char('='));
        if (eq < 0 || t.left(eq).trimmed().compare(QLatin1String("root"), Qt::CaseInsensitive) != 0) continue;
        root = t.mid(eq + 1).trimmed();  // the last one counts
    }
    return root;
}

RootChoice chooseRootFolder(const RootInputs& in)
{
    const QString cwd = QDir::currentPath();
    if (!in.option.isEmpty()) return {absoluteFolder(in.option, cwd), RootSource::Option};
    if (!in.environment.isEmpty()) return {absoluteFolder(in.environment, cwd), RootSource::Environment};
    if (const QString configured = configuredRootFolder(in.configFile); !configured.isEmpty())
        return {absoluteFolder(configured, QFileInfo(in.configFile).absolutePath()), RootSource::ConfigFile};
    return {withOneSeparator(in.executableDir.isEmpty() ? cwd : in.executableDir), RootSource::ExecutableFolder};
}

void setRootDirOverride(const QString& dir)
{
    g_override = dir;
}

QString computeRootDir()
{
    const QString exeDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    return chooseRootFolder({g_override, qEnvironmentVariable("TERMIVO_ROOT"), kSystemConfigFile, exeDir}).dir;
}
