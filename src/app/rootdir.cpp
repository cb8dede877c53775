#include "app/rootdir.h"

#include <QCoreApplication>
#include <QDir>

#include "app/records.h"

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
    YearChanged = 0;
    NavDevice = 0;
    NavSensor = -1;
    StopFlag = 0;
    Prog.TIMECHEAK = 0;
    Prog.Header.clear();
    Prog.TotalDev = 0;
    Prog.RootDir = computeRootDir();
    // Before anything can fail: a start-up stopped by an unreadable registry or
    // picture still leaves a month view that works.
    Prog.CntSent = 0;
    Prog.CntRecive = 0;
    CurChart.Avr_Hour = 3;
}
