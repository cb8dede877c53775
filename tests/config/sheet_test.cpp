// The parameter sheet without a device: binding, the change text, the validation
// table and the header limits.
#include "app/fields.h"
#include "config/headerlimits.h"
#include "config/paramsheet.h"
#include "support/fixtures.h"

namespace {

const QString kReply = QStringLiteral(
    R"($ {"Main":{"BaseParam":{"Name":"Lab1","ID":"A","AlarmActive":1,"AlarmPeriod":2,"Battery":98,"KeyLock":true},)"
    R"("S0":{"Name":"Room","Min1":-20,"Max1":50.50,"Calibrate":0},)"
    R"("S1":{"Name":"Hum","Min1":20,"Max1":80},)"
    R"("S2":{"Name":"","Min1":0,"Max1":0,"Extra":5}}}#trailer)");

ParameterSheet loaded(const QString& reply = kReply)
{
    ParameterSheet s;
    s.bind(reply, QStringLiteral("Main"), BindMode::Fill, false);
    s.lastReply = reply;
    s.loaded = true;
    return s;
}

TEST(Sheet, FillShowsValuesByNameAndReportsKeysWithoutControl)
{
    ParameterSheet s;
    const BindOutcome b = s.bind(kReply, QStringLiteral("Main"), BindMode::Fill, false);
    EXPECT_EQ(s.text("LE_BaseParam_Name"), "Lab1");
    EXPECT_EQ(s.text("LE_S0_Max1"), "50.5");  // a number in general format
    EXPECT_EQ(s.text("LE_S0_Min1"), "-20");
    EXPECT_EQ(s.cell("LE_BaseParam_AlarmPeriod")->index, 2);
    EXPECT_EQ(s.cell("LE_S0_Max1")->tooltip, "S0.Max1");
    EXPECT_EQ(b.undefinedLines, QStringList{"This ctrl not defined:LE_S2_Extra"});
    // true/false members are passed over in every direction, even with a control of the name
    EXPECT_FALSE(b.controlNames.contains("LE_BaseParam_KeyLock"));
    EXPECT_EQ(b.controlNames.first(), "LE_BaseParam_Name");
    EXPECT_EQ(b.controlNames.size(), 16);
    EXPECT_FALSE(s.anyChanged());
}

TEST(Sheet, NumbersAndTextsShowAsTheDeviceWroteThem)
{
    struct Case
    {
        const char* json;
        const char* shown;
    } cases[] = {
        {"20.50", "20.5"},
        {"7", "7"},
        {"-0.125", "-0.125"},
        {"1e20", "1E20"},
        {"123456789012", "123456789012"},  // more than 11 characters: a 64-bit integer
        {"12345678901", "12345678901"},
        {"\"a b\"", "a b"},
        {"\"\\u0645x\"", "?x"},  // Persian as "?"
    };
    for (const Case& c : cases) {
        ParameterSheet s;
        s.bind(QStringLiteral(R"({"Main":{"S0":{"Max1":%1,"Name":%1}}})").arg(QLatin1String(c.json)), "Main",
               BindMode::Fill, false);
        EXPECT_EQ(s.text("LE_S0_Max1"), QLatin1String(c.shown)) << c.json;
    }
    // Persian text in the reply itself reaches the control as question marks
    ParameterSheet s;
    s.bind(QStringLiteral(R"({"Main":{"S0":{"Name":"اتاق"}}})"), "Main", BindMode::Fill, false);
    EXPECT_EQ(s.text("LE_S0_Name"), "????");
}

TEST(Sheet, ListPositionOutsideTheListLeavesNoSelectionAndGoesBackAsMinusOne)
{
    ParameterSheet s = loaded(QStringLiteral(R"({"Main":{"BaseParam":{"AlarmPeriod":42}}})"));
    EXPECT_EQ(s.cell("LE_BaseParam_AlarmPeriod")->index, -1);
    s.changeHandler("LE_BaseParam_AlarmPeriod");
    EXPECT_EQ(s.bind(s.lastReply, "Main", BindMode::Build, false).changeText, R"("BaseParam":{"AlarmPeriod":-1,)");
}

TEST(Sheet, ChangeTextFollowsTheReplysOrder)
{
    // The example: device name Lab2, highest allowed value of the second channel 30.5.
    ParameterSheet s = loaded();
    s.edit("LE_BaseParam_Name", "Lab2");
    s.edit("LE_S1_Max1", "30.5");
    EXPECT_TRUE(s.sendShown);
    EXPECT_EQ(s.bind(s.lastReply, "Main", BindMode::Build, false).changeText,
              R"("BaseParam":{"Name":"Lab2",},"S1":{"Max1":30.5,},)");
    EXPECT_FALSE(s.anyChanged());  // the build clears every mark
    // nothing changed: empty
    EXPECT_EQ(s.bind(s.lastReply, "Main", BindMode::Build, false).changeText, "");
    // the last group of the reply changed: no "}," after it
    s.edit("LE_S2_Min1", "-1");
    s.pick("LE_BaseParam_AlarmActive", 0);
    EXPECT_EQ(s.bind(s.lastReply, "Main", BindMode::Build, false).changeText,
              R"("BaseParam":{"AlarmActive":0,},"S2":{"Min1":-1,)");
    // groups in another order
    const QString reordered = QStringLiteral(R"({"Main":{"S1":{"Max1":80},"BaseParam":{"Name":"x"}}})");
    s.edit("LE_BaseParam_Name", "Lab3");
    s.edit("LE_S1_Max1", "81");
    EXPECT_EQ(s.bind(reordered, "Main", BindMode::Build, false).changeText,
              R"("S1":{"Max1":81,},"BaseParam":{"Name":"Lab3",)");
}

TEST(Sheet, EditsBeforeTheSheetIsLoadedAreNotMarked)
{
    ParameterSheet s;
    s.edit("LE_S0_Name", "x");
    EXPECT_FALSE(s.cell("LE_S0_Name")->changed);
    EXPECT_FALSE(s.sendShown);
}

TEST(Sheet, PhoneNumbersWithABlankBringTheirMessageAtEveryChange)
{
    ParameterSheet s = loaded();
    EXPECT_EQ(s.edit("LE_GSM_Number1", "0912 1"), QStringList{sheettext::kNoSpaceInNumber});
    EXPECT_EQ(s.edit("LE_GSM_Number3", "1 2"), QStringList(2, sheettext::kNoSpaceInNumber));
    EXPECT_EQ(s.edit("LE_S0_Name", "x"), QStringList(2, sheettext::kNoSpaceInNumber));
}

TEST(Sheet, UnreadableRepliesLeaveTheSheetAsItWas)
{
    const QString good = QStringLiteral(R"({"Main":{"BaseParam":{"Name":"Keep"}}})");
    const QStringList bad{
        "",
        "BaseParam",
        R"({"Main":{"BaseParam":{"Name":"New",}}})",  // not JSON
        R"({"Main":{"BaseParam":{"Name":"New"}})",    // cut off
        R"({"Other":{"BaseParam":{"Name":"New"}}})",  // no "Main"
        R"({"Main":[1,2]})",
        R"({"Main":{"BaseParam":5}})",
        R"({"Main":{"BaseParam":{"Name":"New","ID":null}}})",
        R"({"Main":{"BaseParam":{"Name":"New","ID":[1]}}})",
        R"({"Main":{"BaseParam":{"Name":"New","AlarmPeriod":2.5}}})",  // a list position that is not an integer
        R"({"Main":{"BaseParam":{"Name":"New","AlarmPeriod":"x"}}})",
        R"({"Main":{"BaseParam":{"Name":"New","ID":18446744073709551615}}})",
        R"([{"Main":{}}])",
        QString(1 << 21, QLatin1Char(' ')) + good,  // huge
    };
    for (const QString& reply : bad) {
        ParameterSheet s;
        s.bind(good, "Main", BindMode::Fill, false);
        EXPECT_ANY_THROW(s.bind(reply, "Main", BindMode::Fill, false)) << reply.left(80).toStdString();
        EXPECT_EQ(s.text("LE_BaseParam_Name"), "Keep");
        EXPECT_EQ(s.controlNames.size(), 1);
    }
}

TEST(Sheet, ExpertModeEnablesBoundControls)
{
    ParameterSheet s;
    EXPECT_FALSE(s.cell("LE_BaseParam_ID")->enabled);
    EXPECT_TRUE(s.cell("LE_BaseParam_Name")->enabled);
    s.bind(kReply, "Main", BindMode::Fill, false);
    s.unlockBound();
    EXPECT_TRUE(s.cell("LE_BaseParam_ID")->enabled);
    EXPECT_FALSE(s.cell("LE_LAN_MAC")->enabled);  // not bound yet
    s.bind(R"({"Main":{"LAN":{"MAC":"m"}}})", "Main", BindMode::Fill, true);
    EXPECT_TRUE(s.cell("LE_LAN_MAC")->enabled);
}

TEST(Sheet, RepliesAreCutAtEveryCharacterOfTheSetAndBetweenTheMarks)
{
    EXPECT_EQ(splitDelimited("a,,b", u","), (QStringList{"a", "", "b"}));
    EXPECT_EQ(splitDelimited("", u","), QStringList{""});
    EXPECT_EQ(splitDelimited("x=1:2", u"=:"), (QStringList{"x", "1", "2"}));
    EXPECT_EQ(trimParamReply("$abc#def#"), "abc");
}

// ---------------------------------------------------------------- validation

// A sheet that passes every check; expert: every control unlocked.
ParameterSheet validSheet(bool expert = false)
{
    ParameterSheet s = loaded(QStringLiteral(
        R"({"Main":{"BaseParam":{"Name":"Lab"},"S0":{"Min1":1,"Max1":2,"MinP":1,"MaxP":2,"Calibrate":0},)"
        R"("S1":{"Min1":1,"Max1":2,"MinP":1,"MaxP":2,"Calibrate":0},"S2":{"Min1":1,"Max1":2,"MinP":1,"MaxP":2,)"
        R"("Calibrate":0},"S3":{"Min1":1,"Max1":2,"MinP":1,"MaxP":2,"Calibrate":0}}})"));
    if (expert)
        for (const ParamRow& r : parameterSchema()) s.cell(r.name())->enabled = true;
    return s;
}

TEST(Validation, EveryRowAtItsBounds)
{
    using namespace sheettext;
    const QString none;
    struct Case
    {
        QString control;
        QString value;
        QString message;  // empty: passes
    } cases[] = {
        {"LE_BaseParam_Name", QString(19, 'n'), none},
        {"LE_BaseParam_Name", QString(20, 'n'), kNameMax19},
        {"LE_S0_Name", QString(16, 's'), none},
        {"LE_S3_Name", QString(17, 's'), kSensorNameMax16},
        {"LE_GSM_IDS", QString(14, '1'), none},
        {"LE_GSM_IDS", QString(15, '1'), kIdsMax},
        {"LE_GSM_ChangePass", QString(9, 'p'), none},
        {"LE_GSM_ChangePass", QString(10, 'p'), kPassMax9},
        {"LE_AP_Name", QString(29, 'a'), none},
        {"LE_AP_Name", QString(30, 'a'), kNamePassMax29},
        {"LE_Station_Password", QString(29, 'a'), none},
        {"LE_Station_Password", QString(30, 'a'), kNamePassMax29},
        {"LE_BaseParam_Name", "Lab:1 ok", none},
        {"LE_BaseParam_Name", "آزمایش", kBadChars},
        {"LE_BaseParam_Name", "a,b", kBadChars},
        {"LE_GSM_IDS", "[1]", kBadChars},
        {"LE_S1_Name", "a\"b", kBadChars},  // would end the quoted text
        {"LE_S1_Name", "a\\b", kBadChars},
        {"LE_S1_Name", "a/b", kBadChars},     // sensor names become file names
        {"LE_BaseParam_Name", "a/b", none},   // other names may hold "/"
        {"LE_AP_Password", "p#", kBadChars},  // "#" ends a frame
        {"LE_AP_Name", "a(b", none},          // the access point's name has no character check
        {"LE_AP_Name", "a\"b", kBadChars},    // ... but a changed text never holds a quote
        {"LE_LAN_SIP", "1.2.3.4\\", kBadChars},
        {"LE_LAN_Port", "12x", kBadNumber},  // a changed number goes out bare
        {"LE_S0_Min1", "1.99", none},
        {"LE_S0_Min1", "2", kMinBelowMax},
        {"LE_S2_MaxP", "1", kMinBelowMax},
        {"LE_S1_Max1", "", kBadNumber},
        {"LE_S3_MinP", "x", kBadNumber},
        {"LE_S0_Calibrate", "99.9", none},
        {"LE_S0_Calibrate", "-500", none},
        {"LE_S3_Calibrate", "100", kMinBelowMax},
    };
    for (const Case& c : cases) {
        ParameterSheet s = validSheet(true);  // some of these controls are locked
        ASSERT_TRUE(validationMessages(s).isEmpty());
        s.edit(c.control, c.value);
        const QStringList expected = c.message.isEmpty() ? QStringList() : QStringList{c.message};
        EXPECT_EQ(validationMessages(s), expected) << c.control.toStdString() << " = " << c.value.toStdString();
    }
}

TEST(Validation, EveryFailingCheckBringsItsMessageInTableOrder)
{
    ParameterSheet s = validSheet(true);
    s.edit("LE_S1_Calibrate", "100");
    s.edit("LE_GSM_ChangePass", "1234567890");
    s.edit("LE_BaseParam_Name", QString(20, 'x'));
    s.edit("LE_S2_Min1", "2");
    EXPECT_EQ(validationMessages(s), (QStringList{sheettext::kNameMax19, sheettext::kPassMax9, sheettext::kMinBelowMax,
                                                  sheettext::kMinBelowMax}));
    // equal limits (both 0) block every send, whatever was changed
    ParameterSheet fresh = loaded();
    EXPECT_TRUE(validationMessages(fresh).contains(sheettext::kMinBelowMax));
}

// Values the device's fields cannot take, or that would change on the way: refused
// whoever typed them, the settings page or --set-params.
TEST(Validation, ValuesTheDeviceCannotTakeAreRefused)
{
    using namespace sheettext;
    const QString none;
    const QString real = QStringLiteral(" takes a number from -999999 to 999999");
    const QString whole = QStringLiteral(" takes a whole number from -2147483648 to 2147483647");
    const QString locked = QStringLiteral(" is locked: it changes only with the expert access");
    struct Case
    {
        QString control;
        QString value;
        bool expert;
        QString message;  // empty: passes
    } cases[] = {
        // control and frame characters, and what the 7-bit link cannot carry, in any text
        {"LE_S0_Name", "Ro\rom", false, kBadChars},
        {"LE_BaseParam_Name", "Lab\n2", false, kBadChars},
        {"LE_BaseParam_Name", "Lab$2", false, kBadChars},
        {"LE_Station_Name", "net\x7f", false, kBadChars},
        {"LE_LAN_SIP", "127.0.0.1\r\n", false, kBadChars},
        {"LE_LAN_Gateway", "$127.0.0.1", false, kBadChars},
        {"LE_AP_IP", "127.0.0.1#", false, kBadChars},
        {"LE_GSM_Number0", "۰۹۱۲۰۰۰۰۰۰۰", false, kBadChars},  // Persian digits would go out as "?"
        {"LE_AP_Name", "a\tb", true, kBadChars},
        {"LE_LAN_SIP", "127.0.0.1:80 (x)", false, none},
        // numbers: every separator read, nothing but a plain decimal number
        {"LE_S0_Max1", "2٫5", false, none},
        {"LE_S0_Max1", " 2.5 ", false, none},
        {"LE_S0_Max1", "1e5", false, kBadNumber},
        {"LE_S0_Max1", "+5", false, kBadNumber},
        {"LE_S0_Max1", "5.", false, kBadNumber},
        {"LE_S0_Max1", "5\r", false, kBadNumber},
        {"LE_BaseParam_BuzzerPeriod", "٥", false, kBadNumber},
        // ... within what the field holds
        {"LE_S0_Max1", "99999999999999999999999", false, "S0.Max1" + real},
        {"LE_S0_Max1", "999999", false, none},
        {"LE_S0_Max1", "999999.01", false, "S0.Max1" + real},
        {"LE_S1_MinP", "-1000000", false, "S1.MinP" + real},
        {"LE_S2_Calibrate", "-999999", false, none},
        {"LE_BaseParam_BuzzerPeriod", "2147483647", false, none},
        {"LE_BaseParam_BuzzerPeriod", "-2147483648", false, none},
        {"LE_BaseParam_BuzzerPeriod", "2147483648", false, "BaseParam.BuzzerPeriod" + whole},
        {"LE_GSM_AlarmTypeX", "2.5", false, "GSM.AlarmTypeX" + whole},
        {"LE_LAN_Port", "99999999999999999999999", true, "LAN.Port" + whole},
        // locked and hidden parameters only with the expert access, the read-only never
        {"LE_S0_Type", "X", false, "S0.Type" + locked},
        {"LE_S0_Com_Mode", "-1", false, "S0.Com_Mode" + locked},
        {"LE_S3_Period", "30", false, "S3.Period" + locked},
        {"LE_S0_Type", "X", true, none},
        {"LE_S0_Com_Mode", "-1", true, none},
        {"LE_BaseParam_Version", "9.9", true, "BaseParam.Version cannot be changed"},
    };
    for (const Case& c : cases) {
        ParameterSheet s = validSheet(c.expert);
        s.edit(c.control, c.value);
        const QStringList expected = c.message.isEmpty() ? QStringList() : QStringList{c.message};
        EXPECT_EQ(validationMessages(s), expected) << c.control.toStdString() << " = " << c.value.toStdString();
    }
    // list positions within the list
    for (const int position : {-1, 11}) {
        ParameterSheet s = validSheet();
        s.pick("LE_BaseParam_AlarmPeriod", position);
        EXPECT_EQ(validationMessages(s), QStringList{"BaseParam.AlarmPeriod takes a list position from 0 to 10"});
    }
}

TEST(Validation, NumbersGoToTheDeviceWithAPoint)
{
    ParameterSheet s = validSheet();
    s.edit("LE_S0_Max1", "2٫5");
    s.edit("LE_S1_Max1", " 3.25 ");
    s.edit("LE_S2_Max1", "4,5");  // the regional separator where it is a comma
    QLocale::setDefault(QLocale(QLocale::German));
    const QString text = s.bind(s.lastReply, "Main", BindMode::Build, false).changeText;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(text, R"("S0":{"Max1":2.5,},"S1":{"Max1":3.25,},"S2":{"Max1":4.5,},)");
}

// ---------------------------------------------------------------- report headers

TEST(HeaderLimits, FieldsAreCountedAsTheLoaderCountsThem)
{
    EXPECT_EQ(headerWithLimits("a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q", "2", "30"), "a,b,c,d,e,f,g,2,30,j,k,l,m,n,o,p,q");
    // as the download stores it: "SenPara(0,1,..." has its fields cut at "(" and ")" too
    EXPECT_EQ(headerWithLimits("SenPara(0,1,TH,1,0,T,-20.0,50.5,60,0,3,5,0,0,0):66,A", "-5", "40.25"),
              "SenPara(0,1,TH,1,0,T,-5,40.25,60,0,3,5,0,0,0):66,A");
    EXPECT_EQ(headerWithLimits("a,b,c,d,e,f,g,h,i,j,k,l,m,n,o", "1", "2"), std::nullopt);  // 15 fields
    EXPECT_EQ(EditHeader1("a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,", "1", "2", _SYSTEMTIME{}), "a,b,c,d,e,f,g,1,2,j,k,l,m,n,o,");
    EXPECT_THROW(EditHeader1("a,b", "1", "2", _SYSTEMTIME{}), ListIndexError);
}

}  // namespace
