#include "app/rootdir.h"

#include <QCoreApplication>
#include <QDir>

#include "app/programstate.h"

namespace {
QString g_override;

QString withOneSeparator(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/'))) dir.chop(1);
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir;
}
}  // namespace

void setRootDirOverride(const QString& dir)
{
    g_override = dir;
}

QString computeRootDir()
{
    if (!g_override.isEmpty()) return withOneSeparator(QDir(g_override).absolutePath());
    const QString exeDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return withOneSeparator(exeDir);
}

void resetStartupState()
{
    resetProgramState();
}
