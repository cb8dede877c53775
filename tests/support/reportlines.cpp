#include "support/reportlines.h"

#include <QDir>
#include <QFileInfo>

#include "app/auditjournal.h"
#include "app/calendar.h"
#include "platform/textfile.h"
#include "reports/reportjournal.h"

QString reportHeader(const QString& devType, const QString& sensorType, const QString& lower, const QString& upper)
{
    return QStringLiteral("SenPara,1,1,%1,0,1,%2,%3,%4,0,0,3,7,0,0,0,").arg(devType, sensorType, lower, upper);
}

QString hourCodeT(double value)
{
    if (std::isnan(value)) return QStringLiteral("??");
    const int r = static_cast<int>(std::lround((value + 100) * 10));
    return QString(QChar(60 + r / 60)) + QChar(60 + r % 60);
}

QString dayLineT(int month, int day, const std::vector<double>& hours, const QString& year)
{
    QString codes;
    for (int h = 0; h < 24; ++h) codes += hourCodeT(h < int(hours.size()) ? hours[h] : kMissing);
    return QStringLiteral("%1,%2,%3,%4,0").arg(month).arg(day).arg(codes, year);
}

void journalHeaderChange(const QString& root, const QString& path, const QString& before, const QString& after,
                         const QDateTime& adoptedAt, const QDateTime& changedAt)
{
    QDateTime at = adoptedAt;
    JournalIdentity who;
    who.now = [&at] { return at; };
    AuditJournal journal(root, who);
    const QString key = journalFileKey(root, path);
    // The file as it stood then: its day and remark lines under the header from before.
    QStringList lines = QFileInfo::exists(path) ? readTextFile(path).lines : QStringList();
    if (lines.isEmpty()) lines << before;
    lines[0] = before;
    const ReportDigest adopted = digestReportLines(lines);
    journal.append(QStringLiteral("report.adopt"), reportAdoptDetails(key, kAdoptAtFirstWrite, adopted));
    at = changedAt;
    journal.append(QStringLiteral("report.header"), reportHeaderDetails(key, before, after));
}

QString fullDayT(int month, int day, double value)
{
    return dayLineT(month, day, std::vector<double>(24, value));
}

void writeFleetYear(const QString& root, const QStringList& registryHead,
                    const std::function<QString(int channel)>& sensorType,
                    const std::function<double(int device, int channel, int dayNumber, int hour)>& hourValue)
{
    const QString folder = root + QStringLiteral("/5/");
    QDir().mkpath(folder);
    QStringList registry = registryHead;
    for (int d = 0; d < 51; ++d) {
        // A..Z, 0..9, then Arabic letters: file names ignore letter case.
        const QString id = QString(d < 26 ? QChar(0x41 + d) : d < 36 ? QChar(0x30 + d - 26) : QChar(0x628 + d - 36));
        registry << QStringLiteral("device  =Store %1,127.0.0.%2,S1,S2,S3,S4,%3,T,lan,").arg(d).arg(d + 11).arg(id);
        for (int ch = 1; ch <= 4; ++ch) {
            QStringList lines{
                reportHeader(QStringLiteral("H"), sensorType(ch), QStringLiteral("2"), QStringLiteral("8"))};
            for (int n = 1; n <= 365; ++n) {
                int month = 0, day = 0;
                Num2MonthDay(n, month, day);
                std::vector<double> hours(24);
                for (int h = 0; h < 24; ++h) hours[h] = hourValue(d, ch, n, h);
                lines << dayLineT(month, day, hours, QStringLiteral("5"));
            }
            writeTextFile(folder + QStringLiteral("%1%2_S%2.rep").arg(id).arg(ch), lines);
        }
    }
    writeTextFile(root + QStringLiteral("/DeviceStatus.txt"), registry);
}
