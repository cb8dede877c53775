#include "app/registry.h"

#include <limits>

#include <QCoreApplication>
#include <QFileInfo>

#include "app/calendar.h"
#include "app/channelclash.h"
#include "app/fields.h"
#include "app/ledger.h"
#include "app/programstate.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/textfile.h"

namespace {
const QString kDeviceDelims = QStringLiteral("=:,()");
const QString kSettingDelims = QStringLiteral("=,()");

QString field(const QStringList& f, int i)
{
    return i < f.size() ? f[i] : QString();
}

// A whole number of a settings line from least up to the largest int; ConvertError
// naming the line otherwise (what: the value's meaning).
int settingNumber(const QString& line, const QString& text, int least, const QString& what)
{
    int v = 0;
    try {
        v = strToInt(text.trimmed());
    } catch (const ConvertError&) {
        v = least - 1;
    }
    if (v < least)
        throw ConvertError(QCoreApplication::translate("Termivo", "'%1': %2 must be a whole number from %3 to %4")
                               .arg(line.trimmed(), what)
                               .arg(least)
                               .arg(std::numeric_limits<int>::max()));
    return v;
}

void noteSkippedDeviceLine(RegistryLoadNotes& notes, int lineNo, const QString& line, const QString& why)
{
    notes.skippedLines
        << QStringLiteral("DeviceStatus.txt, line %1: \"%2\" %3; the device is not read.").arg(lineNo).arg(line, why);
}

// Why a device line cannot be taken, or nothing when it can: too few fields, no ID,
// or an address with ":port", whose colon would shift every later field.
QString whyDeviceLineIsUnreadable(const QString& line, bool parsed, const Device_Rec& device)
{
    const QString address = line.section(QLatin1Char('='), 1).section(QLatin1Char(','), 1, 1);
    if (address.contains(QLatin1Char(':')))
        return QCoreApplication::translate("Termivo",
                                           "the address holds a port (\":\"), which shifts the fields after it");
    if (!parsed) return QCoreApplication::translate("Termivo", "it has fewer than ten fields");
    if (device.ID.isEmpty()) return QCoreApplication::translate("Termivo", "it has no device ID");
    return QString();
}

// "calendar = official" or "calendar = arithmetic"; any other value keeps the
// official calendar and is reported as an unreadable line.
void setCalendarFromLine(program_rec& prog, const QString& line, const QString& value)
{
    const std::optional<ShamsiCalendar> calendar = calendarNamed(value);
    if (!calendar)
        throw ConvertError(QCoreApplication::translate(
                               "Termivo", "'%1' names no calendar (official or arithmetic); the official one is used")
                               .arg(line.trimmed()));
    prog.calendar = *calendar;
}
}  // namespace

QStringList takeUnreportedSkippedLines(ProgramState& state)
{
    if (state.skippedLinesReported) return {};
    state.skippedLinesReported = true;
    return state.skippedLines;
}

int lastSkippedLineCount(const ProgramState& state)
{
    return int(state.skippedLines.size());
}

QString deviceStatusPath(const QString& rootDir)
{
    // Folders copied from Windows may spell it "devicestatus.txt".
    return caseInsensitivePath(rootDir + QStringLiteral("DeviceStatus.txt"));
}

bool isDeviceLine(const QString& line)
{
    return line.contains(QLatin1String("device"), Qt::CaseInsensitive);
}

bool ParseDeviceLine(const QString& line, int& counter, Device_Rec& device)
{
    const QStringList f = splitDelimited(line, kDeviceDelims, kMaxLineFields);
    if (f.size() < 10) return false;
    device.Name = f[1];
    device.IP = f[2];
    for (int s = 0; s < 4; ++s) device.Sensor[s].Name = f[3 + s];
    for (int s = 0; s < 4; ++s) {
        if (!device.Sensor[s].Name.isEmpty()) device.Sensor[s].ChartIndex = counter++;
    }
    device.ID = firstChar(f[7]);
    device.SenType = firstChar(f[8]);
    for (int s = 0; s < 4; ++s) {
        device.Sensor[s].LastRef = false;
        device.Sensor[s].SenNumber = s;
    }
    device.Connection = f[9].toLower();
    return true;
}

void ParseSettingLine(const QString& line, program_rec& prog)
{
    const QStringList f = splitDelimited(line, kSettingDelims, kMaxLineFields);
    const QString key = f[0].toLower();
    const QString value = field(f, 1);
    if (key.contains(QLatin1String("picfile"))) prog.picFileName = value.trimmed();
    if (key.contains(QLatin1String("refresh"))) prog.refresh = strToInt(value.trimmed());
    if (key.contains(QLatin1String("online"))) prog.Online = strToInt(value.trimmed());
    if (key.contains(QLatin1String("textfile"))) prog.textfilename = value;
    if (key.contains(QLatin1String("ver"))) prog.ver = value.trimmed();
    if (key.contains(QLatin1String("comment"))) {
        const QString c = value.trimmed();
        if (!c.isEmpty()) prog.Comment.append(c);
    }
    if (key.contains(QLatin1String("timeout"))) {
        if (f.size() < 4)
            throw ConvertError(
                QCoreApplication::translate("Termivo", "'%1' does not give three time-outs").arg(line.trimmed()));
        // All three or none: a line that cannot be read keeps the defaults.
        int ms[3] = {};
        for (int i = 0; i < 3; ++i) {
            ms[i] = settingNumber(line, f[1 + i], 0, QCoreApplication::translate("Termivo", "a time-out"));
        }
        prog.TimeOut1 = ms[0];
        prog.TimeOut2 = ms[1];
        prog.TimeOut3 = ms[2];
    }
    if (key.contains(QLatin1String("trycnt")))
        prog.tryCnt = settingNumber(line, value, 1, QCoreApplication::translate("Termivo", "the number of attempts"));
    if (key.contains(QLatin1String("parallel")))
        prog.parallel = qMin(
            settingNumber(line, value, 1, QCoreApplication::translate("Termivo", "the number of devices read at once")),
            kMaxDevices);
    if (key.contains(QLatin1String("timecheak"))) prog.TIMECHEAK = strToInt(value.trimmed());
    if (key.contains(QLatin1String("header"))) prog.Header = value.trimmed();
    if (key.contains(QLatin1String("showyear"))) prog.ShowYear = strToInt(value.trimmed());
    if (key.contains(QLatin1String("calendar"))) setCalendarFromLine(prog, line, value);
}

RegistryLoadNotes loadRegistry(ProgramState& state)
{
    RegistryLoadNotes notes;
    state.skippedLines.clear();
    state.skippedLinesReported = false;
    program_rec& prog = state.Prog;
    prog.Comment.clear();
    prog.TimeOut1 = prog.TimeOut2 = prog.TimeOut3 = 500;
    prog.tryCnt = 3;
    prog.parallel = kDefaultParallelDevices;
    prog.calendar = ShamsiCalendar::Official;

    int next = 0;
    int counter = 0;
    const QString path = deviceStatusPath(prog.RootDir);
    if (QFileInfo::exists(path)) {
        const TextFile file = readTextFile(path);
        int lineNo = 0;
        for (const QString& line : file.lines) {
            ++lineNo;
            if (isDeviceLine(line)) {
                Device_Rec work;
                int c = counter;
                const bool parsed = ParseDeviceLine(line, c, work);
                const QString why = whyDeviceLineIsUnreadable(line, parsed, work);
                if (!why.isEmpty()) {
                    ++notes.skippedDeviceLines;
                    notes.errors << QCoreApplication::translate("Termivo", "Device line \"%1\" skipped: %2.")
                                        .arg(line.trimmed(), why);
                    noteSkippedDeviceLine(notes, lineNo, line, QStringLiteral("was skipped: ") + why);
                    continue;
                }
                if (next >= kMaxDevices) {
                    ++notes.ignoredDeviceLines;
                    noteSkippedDeviceLine(notes, lineNo, line,
                                          QStringLiteral("is past the %1th device").arg(kMaxDevices));
                    continue;
                }
                counter = c;
                state.DevList[next] = work;
                ++next;
            } else {
                try {
                    ParseSettingLine(line, prog);
                } catch (const ConvertError& e) {
                    notes.errors << e.text();
                    notes.skippedLines << QStringLiteral(
                                              "DeviceStatus.txt, line %1: \"%2\" was skipped (%3); its "
                                              "value is not taken.")
                                              .arg(lineNo)
                                              .arg(line.trimmed(), e.text());
                }
            }
        }
    }
    // Today in the calendar of the settings, which any line of the file may name.
    const QDateTime now = programNow();
    const _SYSTEMTIME loadDate = Date2Shamsi(now.date(), now, prog.calendar);
    _SYSTEMTIME firstRefresh = loadDate;
    firstRefresh.wHour = 1;
    for (int r = 0; r < next; ++r) {
        for (auto& s : state.DevList[r].Sensor) {
            s.Last_ref = firstRefresh;
            s.Now_ref = loadDate;
            s.LastRef = true;
        }
    }
    state.DevLast = next - 1;
    notes.errors << loadLedger(state, &notes.skippedLines);
    notes.skippedLines << findReportFileClashes(state);
    state.skippedLines = notes.skippedLines;
    state.skippedLinesReported = false;
    for (int r = 0; r <= state.DevLast; ++r)
        for (auto& s : state.DevList[r].Sensor) s.Visit = false;
    prog.TotalDev = state.DevLast;
    prog.CurDev = 0;
    prog.TimeCnt = 0;
    return notes;
}

RegistryNoteTexts registryNoteTexts(const RegistryLoadNotes& notes)
{
    RegistryNoteTexts texts;
    if (!notes.errors.isEmpty()) {
        texts.error = notes.errors.first();
        if (notes.errors.size() > 1)
            texts.error +=
                QCoreApplication::translate("Termivo", "\n(%1 more lines could not be read and were skipped)")
                    .arg(notes.errors.size() - 1);
    }
    if (notes.ignoredDeviceLines > 0)
        texts.message = QStringLiteral("فایل DeviceStatus.txt بیش از %1 دستگاه دارد؛ %2 دستگاه آخر خوانده نشد")
                            .arg(kMaxDevices)
                            .arg(notes.ignoredDeviceLines);
    return texts;
}

void reportRegistryNotes(const RegistryLoadNotes& notes, MessageLogSink& log)
{
    const RegistryNoteTexts texts = registryNoteTexts(notes);
    if (!texts.error.isEmpty()) log.addLine(consoleText(QStringLiteral("error: ") + texts.error));
    if (!texts.message.isEmpty()) log.addLine(consoleText(texts.message));
}

program_rec settingsOfLines(const QStringList& lines)
{
    program_rec prog;
    for (const QString& line : lines) {
        if (isDeviceLine(line)) continue;
        try {
            ParseSettingLine(line, prog);
        } catch (const ConvertError&) {
        }
    }
    return prog;
}

QStringList withSetting(const QStringList& lines, const QString& key, const QString& value)
{
    const QString line = key + QStringLiteral(" = ") + value;
    QStringList out = lines;
    for (auto& l : out) {
        if (l.contains(key)) {
            l = line;
            return out;
        }
    }
    out.append(line);
    return out;
}

void SaveSetting(const QString& rootDir, const QString& key, const QString& value)
{
    const QString path = deviceStatusPath(rootDir);
    if (!QFileInfo::exists(path)) return;
    TextFile file = readTextFile(path);
    file.lines = withSetting(file.lines, key, value);
    rewriteTextFile(path, file);
}
