#include "app/ledger.h"

#include <QDir>
#include <QFileInfo>

#include "app/calendar.h"
#include "app/fields.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/textfile.h"

QString ledgerPath()
{
    // Any letter case of the name reaches the one ledger; when several spellings
    // exist (copied in by hand), the newest is the ledger.
    const QDir dir(Prog.RootDir);
    const QFileInfoList found = dir.entryInfoList(QDir::Files, QDir::Time);
    for (const QFileInfo& fi : found)
        if (fi.fileName().compare(QLatin1String("last_refresh.txt"), Qt::CaseInsensitive) == 0)
            return fi.absoluteFilePath();
    return Prog.RootDir + QStringLiteral("last_refresh.txt");
}

bool ledgerExists()
{
    return QFileInfo::exists(ledgerPath());
}

int FindDeviceByID(const QString& text)
{
    for (int i = 0; i <= DevLast && i < kMaxDevices; ++i)
        if (DevList[i].ID == text) return i;
    return -1;
}

bool ParseRefreshLine(const QString& line, Sensor_Rec& work)
{
    const QStringList f = splitDelimited(line, u":,()");
    if (f.size() < 7) return false;
    if (f.size() < 9) throw ConvertError(QStringLiteral("'%1' lacks the hour and minute").arg(line));
    if (f[0].isEmpty() || f[1].isEmpty()) return false;
    const int sen = strToInt(f[2]);
    if (sen < 0 || sen > 3) return false;
    const int year = strToInt(f[4]);
    const int month = strToInt(f[5]);
    const int day = strToInt(f[6]);
    const int hour = strToInt(f[7]);
    const int minute = strToInt(f[8]);
    if (year < 0 || year > 99 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59)
        throw ConvertError(QStringLiteral("'%1' is not a valid date").arg(line));
    work.ID = f[0].left(1);
    work.SenType = f[1].left(1);
    work.SenNumber = sen;
    work.Last_ref = _SYSTEMTIME{};
    work.Last_ref.wYear = static_cast<uint16_t>(year);
    work.Last_ref.wMonth = static_cast<uint16_t>(month);
    work.Last_ref.wDay = static_cast<uint16_t>(day);
    work.Last_ref.wHour = static_cast<uint16_t>(hour);
    work.Last_ref.wMinute = static_cast<uint16_t>(minute);
    work.LastRef = true;
    const int i = FindDeviceByID(work.ID);
    if (i < 0) return true;
    Sensor_Rec& s = DevList[i].Sensor[sen];
    s.ID = work.ID;
    s.SenNumber = sen;
    s.Last_ref = work.Last_ref;
    s.Now_ref = Date2Shamsi(programNow().date());
    s.LastRef = true;
    return true;
}

QStringList loadLedger()
{
    QStringList errors;
    const QString path = ledgerPath();
    if (!QFileInfo::exists(path)) return errors;
    const TextFile file = readTextFile(path);
    Sensor_Rec work;
    for (int i = 1; i < file.lines.size(); ++i) {
        try {
            ParseRefreshLine(file.lines[i], work);
        } catch (const ConvertError& e) {
            errors << e.text();
        }
    }
    return errors;
}

QStringList ledgerLines(const _SYSTEMTIME* fixedDate)
{
    QStringList lines{kLedgerHeader};
    for (int r = 0; r <= DevLast && r < kMaxDevices; ++r) {
        const Device_Rec& d = DevList[r];
        for (int s = 0; s < 4; ++s) {
            const Sensor_Rec& c = d.Sensor[s];
            if (c.Name.isEmpty()) continue;
            const _SYSTEMTIME& t = fixedDate ? *fixedDate : c.Last_ref;
            lines << QStringLiteral("%1,%2,%3,0,%4,%5,%6,%7,%8,")
                         .arg(d.ID, d.SenType)
                         .arg(c.SenNumber)
                         .arg(t.wYear)
                         .arg(t.wMonth)
                         .arg(t.wDay)
                         .arg(t.wHour)
                         .arg(t.wMinute);
        }
    }
    return lines;
}

void SaveLastRefresh()
{
    if (YearChanged != 0) dialogs().message(QStringLiteral("سال عوض شده است لطفا برنامه را بسته و مجددا باز کنید  "));
    writeTextFile(ledgerPath(), ledgerLines(nullptr));
}

void ResetLastRefresh(int year, int month, int day)
{
    _SYSTEMTIME t;
    t.wYear = static_cast<uint16_t>(year);
    t.wMonth = static_cast<uint16_t>(month);
    t.wDay = static_cast<uint16_t>(day);
    t.wHour = 1;
    t.wMinute = 1;
    writeTextFile(ledgerPath(), ledgerLines(&t));
}
