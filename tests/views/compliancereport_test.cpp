// termivo --report, run as a real process on the registry and report files of a
// temporary root, with the program's clock fixed; the CSV read back by Python's csv
// module and the JSON checked against its documented schema.
#include "views/compliancereport.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/calendar.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "views/exportprint_support.h"

namespace {

// The clock of the runs: 1405/4/10 10:30, so the last complete month is 5/3 (31 days).
class ReportTest : public RootFixture
{
protected:
    ProgramRun run(QStringList args)
    {
        args.prepend(QStringLiteral("--report"));
        args << QStringLiteral("--root") << root();
        return runTermivo(args);
    }

    // Device A (a freezer with a three-hour excursion on 5/3/12 and a missing day, and a
    // fridge without a file), device B (a humidity channel whose header has no readable
    // limits) and the heading lines.
    void writeFleet()
    {
        writeLines(path("DeviceStatus.txt"),
                   {"comment = Central laboratory", "device  =سردخانه \"1\",127.0.0.11,Freezer,Fridge,,,A,T,lan,",
                    "device  =Store,127.0.0.12,Hum,,,,B,H,lan,"});
        QStringList freezer{
            reportHeader(QStringLiteral("H"), QStringLiteral("T"), QStringLiteral("-25"), QStringLiteral("-15"))};
        for (int d = 1; d <= 31; ++d) {
            if (d == 20) continue;
            std::vector<double> hours(24, -20);
            if (d == 12) hours[22] = -14, hours[23] = -12.5;
            if (d == 13) hours[0] = -14.9;
            freezer << dayLineT(3, d, hours, QStringLiteral("5"));
        }
        writeLines(path("5/A1_Freezer.rep"), freezer);
        QStringList hum{
            reportHeader(QStringLiteral("H"), QStringLiteral("H"), QStringLiteral("x"), QStringLiteral("60"))};
        for (int d = 1; d <= 31; ++d) hum << dayLineT(3, d, std::vector<double>(24, 45), QStringLiteral("5"));
        writeLines(path("5/B1_Hum.rep"), hum);
    }

    // The rows of a CSV file as Python's csv module reads them (UTF-8 with its mark).
    QJsonArray csvRows(const QString& file)
    {
        const ToolRun r = runTool(QStringLiteral("python3"),
                                  {QStringLiteral("-c"),
                                   QStringLiteral("import csv,json,sys\n"
                                                  "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                                                  "    print(json.dumps(list(csv.reader(f))))\n"),
                                   file});
        EXPECT_EQ(r.code, 0) << r.err.toStdString();
        return QJsonDocument::fromJson(r.out.toUtf8()).array();
    }
    static QStringList row(const QJsonArray& rows, int i)
    {
        QStringList l;
        for (const auto& v : rows.at(i).toArray()) l << v.toString();
        return l;
    }
};

TEST_F(ReportTest, CsvOpensInACsvReaderWithTheDocumentedColumns)
{
    writeFleet();
    const QString out = path("out/fleet.csv");
    QDir().mkpath(path("out"));
    const ProgramRun r = run({"--format", "csv", "--out", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(readFileBytes(out).startsWith("\xEF\xBB\xBF"));

    const QJsonArray rows = csvRows(out);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(row(rows, 0).join(','),
              "device,channel,device_name,sensor,type,year,month,hours_expected,hours_recorded,completeness_percent,"
              "min,max,mean,mkt,lower_limit,upper_limit,hours_below,hours_above,excursions");
    // 30 of 31 days recorded: 720 of 744 hours.
    EXPECT_EQ(row(rows, 1), QStringList({"A", "1", "سردخانه \"1\"", "Freezer", "T", "5", "3", "744", "720", "96.8",
                                         "-20.0", "-12.5", "-20.0", "-20.0", "-25.0", "-15.0", "0", "3", "1"}));
    // No file: every hour missing, no figure of the values, no limits.
    EXPECT_EQ(row(rows, 2), QStringList({"A", "2", "سردخانه \"1\"", "Fridge", "", "5", "3", "744", "0", "0.0", "", "",
                                         "", "", "", "", "", "", ""}));
    // Humidity: no MKT; the header's limits cannot be read.
    EXPECT_EQ(row(rows, 3), QStringList({"B", "1", "Store", "Hum", "H", "5", "3", "744", "744", "100.0", "45.0", "45.0",
                                         "45.0", "", "", "", "", "", ""}));

    const QJsonArray exc = csvRows(path("out/fleet-excursions.csv"));
    ASSERT_EQ(exc.size(), 2);
    EXPECT_EQ(row(exc, 0).join(','),
              "device,channel,sensor,year,month,side,start_day,start_hour,end_day,end_hour,"
              "hours,extreme");
    EXPECT_EQ(row(exc, 1),
              QStringList({"A", "1", "Freezer", "5", "3", "high", "5/3/12", "22", "5/3/13", "0", "3", "-12.5"}));
}

// Names that a spreadsheet would run as formulas reach the CSV as text (a leading
// apostrophe); numbers, negative ones included, stay numbers.
TEST_F(ReportTest, CsvNamesNeverRunAsFormulas)
{
    writeLines(path("DeviceStatus.txt"), {"device  =@Lab,127.0.0.11,+Cold,-Door,-5,@Hum,A,T,lan,"});
    writeLines(path("5/A1_+Cold.rep"),
               {reportHeader(QStringLiteral("H"), QStringLiteral("T"), QStringLiteral("-25"), QStringLiteral("-15")),
                dayLineT(3, 1, std::vector<double>(24, -20), QStringLiteral("5"))});
    const QString out = path("fleet.csv");
    const ProgramRun r = run({"--format", "csv", "--out", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QJsonArray rows = csvRows(out);
    ASSERT_EQ(rows.size(), 5);
    const struct
    {
        int row;
        int column;
        const char* cell;
    } cases[] = {
        {1, 2, "'@Lab"}, {1, 3, "'+Cold"}, {2, 3, "'-Door"}, {3, 3, "-5"},
        {4, 3, "'@Hum"}, {1, 10, "-20.0"}, {1, 14, "-25.0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(row(rows, c.row).value(c.column), QString::fromUtf8(c.cell)) << c.row << "," << c.column;
}

TEST_F(ReportTest, JsonFollowsItsSchemaAndGivesBothCalendars)
{
    writeFleet();
    const QString out = path("fleet.json");
    const ProgramRun r = run({"--format", "json", "--from", "5/3", "--to", "5/4", "--channel", "A:1", "--out", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const ToolRun check = runTool(QStringLiteral("python3"),
                                  {QStringLiteral(TERMIVO_SOURCE_DIR "/tests/data/schemacheck.py"),
                                   QStringLiteral(TERMIVO_SOURCE_DIR "/docs/compliance-report.schema.json"), out});
    EXPECT_EQ(check.code, 0) << check.out.toStdString() << check.err.toStdString();

    const QJsonObject doc = QJsonDocument::fromJson(readFileBytes(out)).object();
    EXPECT_EQ(doc["made"].toObject()["gregorian"].toString(), "2026-07-01T10:30");
    const QJsonArray channels = doc["channels"].toArray();
    ASSERT_EQ(channels.size(), 1);
    const QJsonObject a1 = channels[0].toObject();
    EXPECT_EQ(a1["device_name"].toString(), "سردخانه \"1\"");
    EXPECT_EQ(a1["limits"].toObject()["upper"].toDouble(), -15.0);
    const QJsonArray months = a1["months"].toArray();
    ASSERT_EQ(months.size(), 2);
    const QJsonObject m3 = months[0].toObject();
    const QJsonObject e = m3["excursions"].toArray()[0].toObject();
    EXPECT_EQ(e["start"].toObject()["shamsi"].toString(), "5/3/12");
    EXPECT_EQ(e["start"].toObject()["gregorian"].toString(), "2026-06-02T22:00");  // 1405/3/12
    EXPECT_EQ(e["end"].toObject()["gregorian"].toString(), "2026-06-03T00:00");
    EXPECT_EQ(m3["max"].toObject()["value"].toDouble(), -12.5);
    EXPECT_EQ(m3["mkt"].toDouble(), -20.0);
    // The running month 5/4: hours up to 10:00 of its tenth day are expected.
    const QJsonObject m4 = months[1].toObject();
    EXPECT_EQ(m4["hours_expected"].toInt(), 9 * 24 + 11);
    EXPECT_EQ(m4["hours_recorded"].toInt(), 0);
    EXPECT_TRUE(m4["mkt"].isNull());
}

TEST_F(ReportTest, TextOnStandardOutputAndTheShortestExcursion)
{
    writeFleet();
    const ProgramRun r = run({"--channel", "A:1", "--min-excursion", "4"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("Central laboratory"));
    EXPECT_TRUE(r.out.contains("A:1  سردخانه \"1\" / Freezer  (type T)"));
    EXPECT_TRUE(r.out.contains("hours expected 744, recorded 720, completeness 96.8 %"));
    EXPECT_TRUE(r.out.contains("hours below 0, above 3; excursions 0")) << r.out.toStdString();
}

// The freezer's upper limit went from -15 to -14 on 5/3/12 at 20:00 (its header was
// rewritten): of its three warm hours only 23:00 (-12.5) was above the limit then in
// force; the text and the JSON give the limits from each change on.
TEST_F(ReportTest, EachHourIsJudgedByTheLimitsTheJournalSaysWereInForce)
{
    writeFleet();
    const QString freezer = path("5/A1_Freezer.rep");
    QStringList lines = readLines(freezer);
    const QString before = lines[0];
    lines[0] = reportHeader(QStringLiteral("H"), QStringLiteral("T"), QStringLiteral("-25"), QStringLiteral("-14"));
    writeLines(freezer, lines);
    auto local = [](int month, int day, int hour) {
        return QDateTime(fromShamsi({1405, month, day}, ShamsiCalendar::Official), QTime(hour, 0));
    };
    journalHeaderChange(root(), freezer, before, lines[0], local(1, 1, 0), local(3, 12, 20));

    ProgramRun r = run({"--channel", "A:1"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("5/3: limits -25.0 .. -15.0, from 5/3/12 20:00 -25.0 .. -14.0\n"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("hours below 0, above 1; excursions 1")) << r.out.toStdString();

    const QString out = path("fleet.json");
    r = run({"--format", "json", "--from", "5/2", "--to", "5/3", "--channel", "A:1", "--out", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const ToolRun check = runTool(QStringLiteral("python3"),
                                  {QStringLiteral(TERMIVO_SOURCE_DIR "/tests/data/schemacheck.py"),
                                   QStringLiteral(TERMIVO_SOURCE_DIR "/docs/compliance-report.schema.json"), out});
    EXPECT_EQ(check.code, 0) << check.out.toStdString() << check.err.toStdString();
    const QJsonArray months =
        QJsonDocument::fromJson(readFileBytes(out)).object()["channels"].toArray()[0].toObject()["months"].toArray();
    ASSERT_EQ(months.size(), 2);
    EXPECT_FALSE(months[0].toObject().contains("limits_in_force"));  // 5/2 lay wholly under -15
    EXPECT_EQ(months[0].toObject()["limits"].toObject()["upper"].toDouble(), -15.0);
    const QJsonObject m3 = months[1].toObject();
    EXPECT_EQ(m3["limits"].toObject()["upper"].toDouble(), -14.0);
    const QJsonArray steps = m3["limits_in_force"].toArray();
    ASSERT_EQ(steps.size(), 2);
    EXPECT_EQ(steps[1].toObject()["from"].toObject()["gregorian"].toString(), "2026-06-02T20:00");
    EXPECT_EQ(steps[1].toObject()["upper"].toDouble(), -14.0);
    EXPECT_EQ(m3["hours_above"].toInt(), 1);
}

// The report dates by the calendar of the settings: on 2029-03-20, Nowruz 1408 in the
// official calendar and the last day of 1407 in the arithmetic one, the last complete
// month is 7/12 or 7/11, and the report is stamped 8/1/1 or 7/12/30.
TEST_F(ReportTest, MonthsAndStampFollowTheSettingsCalendar)
{
    for (const bool arithmetic : {false, true}) {
        SCOPED_TRACE(arithmetic);
        QStringList settings{"device  =Store,127.0.0.12,Hum,,,,B,H,lan,"};
        if (arithmetic) settings.prepend("calendar = arithmetic");
        writeLines(path("DeviceStatus.txt"), settings);
        ProgramRunOptions options;
        options.env = {{"TERMIVO_NOW", "2029-03-20T09:00"}};
        const ProgramRun r = runTermivo({"--report", "--root", root()}, options);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(arithmetic ? "made 7/12/30 09:00" : "made 8/1/1 09:00")) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(arithmetic ? "  7/11: " : "  7/12: ")) << r.out.toStdString();
    }
}

// A report file that cannot be read is named and the others are still written; a bad
// command line and a missing registry write nothing.
TEST_F(ReportTest, ExitStatuses)
{
    writeFleet();
    writeLines(path("5/B1_Hum.rep"), {reportHeader(), "Comment,x,door opened"});
    const QString out = path("fleet.csv");
    ProgramRun r = run({"--format", "csv", "--out", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("B1_Hum.rep")) << r.err.toStdString();
    EXPECT_EQ(csvRows(out).size(), 3);

    struct Case
    {
        QStringList args;
        const char* message;
    };
    const Case usage[] = {
        {{"--month", "5/13"}, "--month needs a month as YY/M"},
        {{"--from", "5/3"}, "--from and --to go together"},
        {{"--from", "5/4", "--to", "5/3"}, "--from is after --to"},
        {{"--format", "xml"}, "--format must be"},
        {{"--format", "csv"}, "--format csv needs --out"},
        {{"--channel", "Q:1"}, "no named channel 1 of device \"Q\""},
        {{"--channel", "A:5"}, "--channel needs ID:N"},
        {{"--min-excursion", "0"}, "--min-excursion needs"},
        {{"--bogus"}, "unknown option \"--bogus\""},
    };
    for (const Case& c : usage) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        r = run(c.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.contains(QLatin1String(c.message))) << r.err.toStdString();
        EXPECT_EQ(r.err.count('\n'), 1);
    }

    // The output may not be a report file nor anything but a regular file.
    r = run({"--format", "json", "--out", path("5/A1_Freezer.rep")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("nothing was written")) << r.err.toStdString();
    EXPECT_EQ(readLines(path("5/A1_Freezer.rep")).size(), 31);

    r = run({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains("Exit status: 0 written, 1 a report file could not be read")) << r.out.toStdString();

    QFile::remove(path("DeviceStatus.txt"));
    r = run({"--out", path("x.txt")});
    EXPECT_EQ(r.code, 4);
    EXPECT_FALSE(QFile::exists(path("x.txt")));
}

// The page a lab signs: the heading lines, when it was made and the page number on
// every page, a row per channel, red where an hour was out of limits or completeness
// is under 95 %; then the freezer's month with its excursion.
TEST_F(ReportTest, PdfSummaryPageThenAChartPagePerExcursionMonth)
{
    writeFleet();
    const QString out = path("fleet.pdf");
    const ProgramRun r = run({"--format", "pdf", "--out", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();

    const ToolRun text = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), out, QStringLiteral("-")});
    ASSERT_EQ(text.code, 0) << text.err.toStdString();
    const QStringList pages = text.out.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 2);
    for (qsizetype i = 0; i < 2; ++i) {
        EXPECT_TRUE(pages[i].contains("Central laboratory")) << i;
        EXPECT_TRUE(pages[i].contains("Made 5/4/10 10:30 (2026-07-01 10:30)")) << i;
        EXPECT_TRUE(pages[i].contains(QStringLiteral("Page %1 of 2").arg(i + 1))) << i;
    }
    const QStringList first = pages[0].split(QLatin1Char('\n'));
    auto line = [&](const QString& start) {
        for (const QString& l : first)
            if (l.trimmed().startsWith(start)) return l.simplified();
        return QString();
    };
    // The device name is Persian: pdftotext gives its letters in their joined forms.
    EXPECT_TRUE(line("A:1").endsWith("/ Freezer 5/3 96.8 -20.0 -12.5 -20.0 -20.0 3 1 -25.0 .. -15.0"))
        << line("A:1").toStdString();
    EXPECT_EQ(line("B:1"), "B:1 Store / Hum 5/3 100.0 45.0 45.0 45.0 - - - none readable");
    EXPECT_TRUE(pages[1].contains("A:1")) << pages[1].toStdString();
    EXPECT_TRUE(pages[1].contains("5/3/12 22:00")) << pages[1].toStdString();

    // Red rows: the freezer (hours out of limits) and the fridge (nothing recorded); the
    // humidity channel is not.
    const PdfText words = pdfWords(out);
    const ToolRun png = runTool(QStringLiteral("pdftoppm"),
                                {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"), QStringLiteral("1"),
                                 QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-png"), out, path("page")});
    ASSERT_EQ(png.code, 0) << png.err.toStdString();
    const QImage image(path("page-1.png"));
    ASSERT_FALSE(image.isNull());
    auto rowColour = [&](const QString& word) {
        const QList<PdfWord> found = words.find(0, word);
        if (found.isEmpty()) return QColor();
        const QRectF box = found.first().box;
        return image.pixelColor(int(box.left()) - 3, int(box.center().y()));
    };
    for (const char* red : {"Freezer", "Fridge"}) {
        const QColor c = rowColour(QLatin1String(red));
        EXPECT_TRUE(c.red() > 240 && c.green() < 235) << red << " " << c.name().toStdString();
    }
    EXPECT_EQ(rowColour(QStringLiteral("Hum")), QColor(Qt::white));
}

TEST(ReportFormat, ExcursionsFileNameAndNumbers)
{
    EXPECT_EQ(excursionsPathOf("/a/b/fleet.csv"), "/a/b/fleet-excursions.csv");
    EXPECT_EQ(excursionsPathOf("r.1405.csv"), "r.1405-excursions.csv");
    EXPECT_EQ(excursionsPathOf("out/fleet"), "out/fleet-excursions");
    EXPECT_EQ(reportNumber(-0.04), "0.0");
    EXPECT_EQ(reportNumber(26.26), "26.3");
}

}  // namespace
