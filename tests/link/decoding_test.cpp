// Frames, checksums, the reply trimmer and the reply decoders.
#include <gtest/gtest.h>

#include "link/framing.h"
#include "link/replies.h"

namespace {

TEST(Framing, FramesOfCommands)
{
    struct Case
    {
        const char* command;
        const char* frame;
    };
    const Case cases[] = {
        {"AGetFullPara()", "A{GetFullPara():109,a}#"},
        {"ASenPara(0,1)", "A{SenPara(0,1):108,a}#"},
        {"ASenPara(0,3)", "A{SenPara(0,3):110,a}#"},
        {"ASetFullPara(\"TimeDate\":{\"Get\":\"\"})", "A{SetFullPara(\"TimeDate\":{\"Get\":\"\"}):1,a}#"},
        {"A", "A{:-1,a}#"},
        {"", "A{:-1,a}#"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(buildFrame(QString::fromUtf8(c.command), QStringLiteral("a")), QString::fromUtf8(c.frame))
            << c.command;
}

TEST(Framing, CheckSumSumsAndTests)
{
    struct Case
    {
        const char* text;
        int sum;
    };
    const Case cases[] = {
        {"ab", -1},
        {"", -1},
        {"abc", 75},
        {"$ab", 231},
        {"abc:75,x", 0},
        {"abc:74,x", 1},
        {"abc:75", 0},
        {"abc:", 1},
        {"$abc:75,a", 0},
        {"$abc:74,a", 1},
        // the fold below 256 happens after every addition
        {"\xff\xff\xff", 36 + 255 + 255 + 255 - 255 * 3},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckSum(QString::fromLatin1(c.text)), c.sum) << c.text;
    // A summed reply built by the devices' rule passes the test.
    EXPECT_EQ(CheckSum(CleanStr(buildSummedReply(QStringLiteral("Name(a,b)"), QStringLiteral("a")))), 0);
}

TEST(Framing, CleanStrKeepsTheLastBodyBeforeTheFirstHash)
{
    const std::pair<const char*, const char*> cases[] = {
        {"$body}#", "body}"},
        {"junk$body}", "body}"},
        {"$a$b#c$d#", "b"},
        {"abc", "abc"},
        {"#abc", ""},
        {"", ""},
        {"$", ""},
        {"x$y", "y"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(CleanStr(QString::fromLatin1(in)), QString::fromLatin1(out)) << in;
}

TEST(Replies, ReplyFields)
{
    const QStringList log = replyFields(QStringLiteral("{\"GetLog\":{\"Day\":\"a,b,c,d,e,f\"}}"));
    EXPECT_EQ(log.value(0), "{");
    EXPECT_EQ(log.value(1), "GetLog");
    EXPECT_EQ(log.value(4), "Day");
    for (int i = 7; i <= 12; ++i) EXPECT_EQ(log.value(i), QString(QChar('a' + i - 7)));
    for (int i : {2, 5, 6}) EXPECT_TRUE(log.value(i).isEmpty());

    EXPECT_EQ(replyFields(QStringLiteral("a::")), (QStringList{"a", "", ""}));
    EXPECT_EQ(replyFields(QString()), QStringList{""});
}

TEST(Replies, ReplyFieldsStopAtTheLastEntry)
{
    // 60 delimiters: entries past 50 do not exist.
    QString text;
    for (int i = 0; i < 60; ++i) text += QStringLiteral("f%1,").arg(i);
    const QStringList fields = replyFields(text);
    EXPECT_EQ(fields.size(), kReplyParts);
    EXPECT_EQ(fields.value(50), "f50");
}

TEST(Replies, FindNumber)
{
    const std::pair<const char*, int> cases[] = {
        {"COM12", 12}, {"Com1", 1}, {"COM", -1}, {"A1B2", 12}, {"", -1}, {"COM0", 0}, {"2147483647", 2147483647}};
    for (const auto& [in, out] : cases) EXPECT_EQ(FindNumber(QString::fromLatin1(in)), out) << in;
    EXPECT_THROW(FindNumber(QStringLiteral("127.168.100.100")), ConvertError);
    EXPECT_THROW(FindNumber(QStringLiteral("2147483648")), ConvertError);
}

TEST(Replies, JSon2DateTimeSetsNamedFieldsOnly)
{
    _SYSTEMTIME t;
    t.wYear = 1;
    t.wMonth = 2;
    t.wSecond = 9;
    EXPECT_TRUE(JSon2DateTime(QStringLiteral("{\"GetTimeDate\":{\"Day\":\"7\"}}"), t));
    EXPECT_EQ(t.wDay, 7);
    EXPECT_EQ(t.wYear, 1);
    EXPECT_EQ(t.wMonth, 2);
    EXPECT_TRUE(JSon2DateTime(QStringLiteral("{\"GetTimeDate\":{\"Year\":\"05\",\"Month\":9,\"Day\":\"12\","
                                             "\"Hour\":\"10\",\"Minute\":\"30\",\"Second\":\"x\"}}"),
                              t));
    EXPECT_EQ(t.wYear, 5);
    EXPECT_EQ(t.wMonth, 9);
    EXPECT_EQ(t.wDay, 12);
    EXPECT_EQ(t.wHour, 10);
    EXPECT_EQ(t.wMinute, 30);
    EXPECT_EQ(t.wSecond, 9);
}

TEST(Replies, JSonDecodersRejectWhatIsNotTheObject)
{
    const char* bad[] = {
        "Time Out",
        "",
        "{\"GetTimeDate\":{\"Day\":\"7\"}} trailing",
        "[1,2]",
        "{\"Other\":{}}",
        "{\"GetTimeDate\":\"x\"}",
        "{\"GetTimeDate\":{\"Day\":\"seven\"}}",
        "{\"GetTimeDate\":{\"Day\":\"99999\"}}",
        "{\"GetTimeDate\":{\"Day\":\"-1\"}}",
        "{\"GetTimeDate\":{\"Day\":7.5}}",
        "{\"GetTimeDate\":{\"Day\":",
    };
    for (const char* text : bad) {
        _SYSTEMTIME t;
        EXPECT_THROW(JSon2DateTime(QString::fromLatin1(text), t), ReplyError) << text;
    }
    // A failing member keeps what the members before it set.
    _SYSTEMTIME t;
    EXPECT_THROW(JSon2DateTime(QStringLiteral("{\"GetTimeDate\":{\"Hour\":\"4\",\"Day\":\"x\"}}"), t), ReplyError);
    EXPECT_EQ(t.wHour, 4);

    QString s[7];
    EXPECT_THROW(JSon2Online(QStringLiteral("{\"GetTemp\":{\"ID\":\"a\"}}x"), s[0], s[1], s[2], s[3], s[4], s[5], s[6]),
                 ReplyError);
    EXPECT_THROW(JSon2Online(QStringLiteral("{\"GetTimeDate\":{}}"), s[0], s[1], s[2], s[3], s[4], s[5], s[6]),
                 ReplyError);
}

TEST(Replies, JSon2OnlineCopiesTextsAndKeepsMissingOnes)
{
    QString st1 = "old1", st2 = "old2", st3 = "old3", st4 = "old4", alarm = "oldA", mem = "oldM", id = "oldI";
    EXPECT_TRUE(JSon2Online(QStringLiteral("{\"GetTemp\":{\"Sensor0\":\"25.4\",\"ID\":\"a\"}}"), st1, st2, st3, st4,
                            alarm, mem, id));
    EXPECT_EQ(st1, "25.4");
    EXPECT_EQ(id, "a");
    EXPECT_EQ(st2, "old2");
    EXPECT_EQ(alarm, "oldA");
    EXPECT_TRUE(JSon2Online(QStringLiteral("{\"GetTemp\":{\"Sensor1\":45.10,\"Alarm\":\"10\",\"MemErr\":\"0\","
                                           "\"Sensor3\":\"150.0\"}}"),
                            st1, st2, st3, st4, alarm, mem, id));
    EXPECT_EQ(st2, "45.1");
    EXPECT_EQ(alarm, "10");
    EXPECT_EQ(st4, "150.0");
}

}  // namespace

namespace {

TEST(Replies, UssdAnswer)
{
    const std::pair<const char*, std::optional<const char*>> cases[] = {
        {"{\"USSDResp\":{\"Resp\":\"Credit 1000\"}}", "Credit 1000"},
        {"{\"USSDResp\":{\"Resp\":\"\"}}", std::nullopt},       // nothing yet
        {"{\"USSDResp\":{\"Resp\":\"abcde\"}}", std::nullopt},  // 15 characters after "Resp"
        {"{\"USSDResp\":{\"Resp\":\"abcdef\"}}", "abcdef"},
        {"{\"Resp\":\"Credit is 1000 Rials\"", ""},  // no "}}" after it
        {"Time Out", std::nullopt},
    };
    for (const auto& [reply, answer] : cases) {
        const std::optional<QString> got = ussdAnswer(QString::fromLatin1(reply));
        ASSERT_EQ(got.has_value(), answer.has_value()) << reply;
        if (answer) {
            EXPECT_EQ(*got, QString::fromLatin1(*answer)) << reply;
        }
    }
}

}  // namespace
