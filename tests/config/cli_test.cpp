// termivo --params and --set-params as a real process against the emulator.
#include <nlohmann/json.hpp>

#include <QRegularExpression>

#include "app/calendar.h"
#include "config/expertaccess.h"
#include "reports/reportfile.h"
#include "support/devsim.h"
#include "support/fixtures.h"

namespace {

class ParamsCommand : public RootFixture
{
protected:
    void SetUp() override
    {
        RootFixture::SetUp();
        ip = DevSim::lanAddress(2);
        writeLines(path("DeviceStatus.txt"), {"timeout = 500,100,300", "device  =Lab," + ip + ",Room,Hum,,,A,T,lan,"});
    }
    void TearDown() override
    {
        sim.stop();
        RootFixture::TearDown();
    }
    void startDevice(const QString& extra = QString())
    {
        ASSERT_TRUE(sim.start(
            QStringLiteral("device id=A link=%1 name=Lab sensors=T,H,-,- names=Room,Hum %2\n").arg(ip, extra), root()))
            << sim.output().toStdString();
    }
    // Runs termivo with args and --root; answers the exit status.
    int run(const QStringList& args, const QString& locale = QStringLiteral("C"))
    {
        const ProgramRun r = runTermivo(args + QStringList{"--root", root()},
                                        {.env = {{"LC_ALL", locale}, {"LANG", locale}}, .timeoutMs = 30000});
        out = r.out;
        err = r.err;
        return r.code;
    }
    QString reportPath(int n, const QString& name)
    {
        // The runs take their clock from TERMIVO_NOW.
        const QDateTime now = fixedTestNow();
        return reportFilePath(root(), Date2Shamsi(now.date(), now, ShamsiCalendar::Official).wYear, "A", n, name);
    }

    QString ip, out, err;
    DevSim sim;
};

TEST_F(ParamsCommand, PrintsTheFullSetInTheDevicesOrder)
{
    startDevice("fault=reorder");
    ASSERT_EQ(run({"--params", "A"}), 0) << err.toStdString();
    const auto doc = nlohmann::ordered_json::parse(out.toStdString());
    std::vector<std::string> groups;
    for (auto it = doc["Main"].begin(); it != doc["Main"].end(); ++it) groups.push_back(it.key());
    EXPECT_EQ(groups.front(), "GSM");  // as the device sent them
    EXPECT_EQ(groups.back(), "BaseParam");
    EXPECT_EQ(doc["Main"]["S0"]["Max1"], 50.5);

    // A registry line that is skipped is told on standard error; the set still comes.
    writeLines(path("DeviceStatus.txt"),
               {"timeout = 500,100,300", "trycnt = many", "device  =Lab," + ip + ",Room,Hum,,,A,T,lan,"});
    ASSERT_EQ(run({"--params", "A"}), 0) << err.toStdString();
    EXPECT_TRUE(err.contains("many")) << err.toStdString();
    EXPECT_EQ(nlohmann::ordered_json::parse(out.toStdString())["Main"]["S0"]["Max1"], 50.5);
}

TEST_F(ParamsCommand, SetsLimitsLikeTheSettingsPage)
{
    startDevice();
    const QStringList room{"SenPara(0,1,TH,1,0,T,-20.0,50.5,60,0,3,5,0,0,0):66,A", "6,20,day"};
    writeLines(reportPath(1, "Room"), room);

    ASSERT_EQ(run(QStringList{"--set-params", "A", "S0.Min1=-10", "S0.Max1=40", "BaseParam.AlarmPeriod=4"}), 0)
        << err.toStdString();
    EXPECT_EQ(readLines(reportPath(1, "Room")).first(), "SenPara(0,1,TH,1,0,T,-10,40,60,0,3,5,0,0,0):66,A");
    EXPECT_EQ(sim.requests("Main").size(), 1);
    EXPECT_TRUE(sim.requests("Main").first().startsWith(
        "A{SetFullPara(\"Main\":{\"BaseParam\":{\"AlarmPeriod\":4,},\"S0\":{\"Min1\":-10,\"Max1\":40,},"));
    ASSERT_EQ(run({"--params", "A"}), 0);
    const auto doc = nlohmann::ordered_json::parse(out.toStdString());
    EXPECT_EQ(doc["Main"]["S0"]["Max1"], 40);
    EXPECT_EQ(doc["Main"]["BaseParam"]["AlarmPeriod"], 4);

    // A check refuses: its message, status 2, nothing sent.
    EXPECT_EQ(run(QStringList{"--set-params", "A", "S0.Min1=50"}), 2);
    EXPECT_TRUE(err.contains("حداقل می بایست کمتر از حد اکثر باشد")) << err.toStdString();
    EXPECT_EQ(sim.requests("Main").size(), 1);
}

TEST_F(ParamsCommand, PersianRegionalNumbersReachTheDeviceAndTheHeaderWithAPoint)
{
    startDevice();
    const QStringList room{"SenPara(0,1,TH,1,0,T,-20.0,50.5,60,0,3,5,0,0,0):66,A", "6,20,day"};
    writeLines(reportPath(1, "Room"), room);
    ASSERT_EQ(run({"--set-params", "A", "S0.Max1=40٫5", "S0.Min1=-3"}, "fa_IR.UTF-8"), 0) << err.toStdString();
    EXPECT_TRUE(sim.requests("Main").first().contains("\"S0\":{\"Min1\":-3,\"Max1\":40.5,}"));
    EXPECT_EQ(readLines(reportPath(1, "Room")).first(), "SenPara(0,1,TH,1,0,T,-3,40.5,60,0,3,5,0,0,0):66,A");
}

TEST_F(ParamsCommand, ValuesTheChecksRefuseAreNeverSent)
{
    startDevice();
    const QStringList room{"SenPara(0,1,TH,1,0,T,-20.0,50.5,60,0,3,5,0,0,0):66,A", "6,20,day"};
    writeLines(reportPath(1, "Room"), room);
    struct Case
    {
        QString assignment;
        QString message;
    } cases[] = {
        {"S0.Name=Ro\r\nom", "نام ها نمی توانند فارسی باشند"},
        {"BaseParam.Name=Lab$", "نام ها نمی توانند فارسی باشند"},
        {"S0.Max1=99999999999999999999999", "S0.Max1 takes a number from -999999 to 999999"},
        {"S0.Type=X", "S0.Type is locked: it changes only with the expert access"},
        {"S0.Com_Mode=-1", "S0.Com_Mode is locked"},
        {"BaseParam.AlarmPeriod=11", "BaseParam.AlarmPeriod takes a list position from 0 to 10"},
        {"BaseParam.AlarmPeriod=x", "BaseParam.AlarmPeriod takes a list position from 0 to 10"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run({"--set-params", "A", c.assignment}), 2) << c.assignment.toStdString();
        EXPECT_TRUE(err.contains(c.message)) << err.toStdString();
    }
    EXPECT_EQ(run({"--set-params", "A", "S0.Type=X", "--expert", "7"}), 2);  // not this hour's code
    EXPECT_TRUE(sim.requests("Main").isEmpty()) << sim.requests("Main").join('\n').toStdString();
    EXPECT_EQ(readLines(reportPath(1, "Room")), room);

    // With this hour's code the locked parameter goes out; a Persian separator goes with a point.
    ASSERT_EQ(run({"--set-params", "A", "S0.Type=X", "S0.Max1=2٫5", "--expert", expertAccessCode(fixedTestNow())}), 0)
        << err.toStdString();
    ASSERT_EQ(sim.requests("Main").size(), 1);
    EXPECT_TRUE(sim.requests("Main").first().contains("\"S0\":{\"Max1\":2.5,\"Type\":\"X\",}"))
        << sim.requests("Main").first().toStdString();
}

TEST_F(ParamsCommand, AnUnconfirmedSendIsStatusOneAndWritesNoLimits)
{
    startDevice("fault=noconfirm");
    const QStringList room{"SenPara(0,1,TH,1,0,T,-20.0,50.5,60,0,3,5,0,0,0):66,A", "6,20,day"};
    writeLines(reportPath(1, "Room"), room);
    EXPECT_EQ(run({"--set-params", "A", "S0.Max1=40"}), 1);
    EXPECT_TRUE(err.contains("لطفا با خواندن مجدد")) << err.toStdString();
    EXPECT_EQ(readLines(reportPath(1, "Room")), room);
}

// A confirmed change whose limits cannot reach a report file (the file size limit
// stands in for a full disk): status 5, the file named on standard error and left as
// it was; the other channel's file still takes its limits.
TEST_F(ParamsCommand, LimitsThatCannotReachAReportFileAreStatusFiveAndNamed)
{
    startDevice();
    const QStringList room{"SenPara(0,1,TH,1,0,T,-20.0,50.5,60,0,3,5,0,0,0):66,A", "6,20," + QString(8000, 'x')};
    writeLines(reportPath(1, "Room"), room);
    writeLines(reportPath(2, "Hum"), {"SenPara(0,2,TH,1,0,H,10,90,60,0,3,5,0,0,0):66,A", "6,20,day"});
    const QByteArray before = readFileBytes(reportPath(1, "Room"));
    int status = -1;
    {
        FileSizeLimit limit(4096);
        status = run({"--set-params", "A", "S0.Max1=40", "S1.Max1=80"});
    }
    EXPECT_EQ(status, 5) << err.toStdString();
    const QStringList lines = err.split('\n', Qt::SkipEmptyParts).filter("still holds the old ones");
    ASSERT_EQ(lines.size(), 1) << err.toStdString();
    EXPECT_TRUE(lines[0].contains(reportPath(1, "Room"))) << lines[0].toStdString();
    EXPECT_EQ(readFileBytes(reportPath(1, "Room")), before);
    EXPECT_EQ(readLines(reportPath(2, "Hum")).first().split(QRegularExpression("[,()]")).value(8), "80");
}

TEST_F(ParamsCommand, BadCommandLinesAreUsageErrors)
{
    for (const QStringList& args :
         {QStringList{"--params"}, QStringList{"--params", "Z"}, QStringList{"--params", "A", "--bogus"},
          QStringList{"--set-params", "A"}, QStringList{"--set-params", "A", "Nope.Key=1"}}) {
        EXPECT_EQ(run(args), 2) << args.join(' ').toStdString();
        EXPECT_FALSE(err.isEmpty());
    }
    EXPECT_EQ(run({"--params", "--help"}), 0);
    EXPECT_TRUE(out.contains("--set-params"));
    startDevice("fault=silence");
    EXPECT_EQ(run({"--params", "A"}), 1);
}

}  // namespace
