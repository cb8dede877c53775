#include "platform/convert.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "platform/errors.h"
#include "platform/textfile.h"

namespace {

// Sets the regional settings of the numbers for one scope.
struct RegionalSettings
{
    explicit RegionalSettings(const QLocale& l) { QLocale::setDefault(l); }
    ~RegionalSettings() { QLocale::setDefault(QLocale::c()); }
};

const QLocale kPersian(QLocale::Persian, QLocale::Iran);
const QLocale kGerman(QLocale::German, QLocale::Germany);

TEST(Convert, NumbersInFilesAreReadUnderEveryRegionalSetting)
{
    struct Case
    {
        const char* text;
        double value;
    };
    const Case cases[] = {{"-20.0", -20}, {"20", 20}, {" 3.5 ", 3.5}, {"1e2", 100}, {"20\u066B3", 20.3}};
    for (const QLocale& l : {QLocale::c(), kGerman, kPersian}) {
        RegionalSettings settings(l);
        for (const Case& c : cases) {
            SCOPED_TRACE(l.name().toStdString() + " " + c.text);
            EXPECT_DOUBLE_EQ(strToFloat(QString::fromUtf8(c.text)), c.value);
        }
        for (const char* bad : {"", "x", "1..", "20?3", "inf"})
            EXPECT_THROW(strToFloat(QString::fromUtf8(bad)), ConvertError) << bad;
    }
    RegionalSettings german(kGerman);
    EXPECT_DOUBLE_EQ(strToFloat(QStringLiteral("20,5")), 20.5);  // the regional separator
}

// Rounded as C's printf: the exact binary value, halves to even, so that the table,
// the statistics line and the chart's labels agree.
TEST(Convert, FixedFormatRoundsAsC)
{
    struct Case
    {
        double value;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {20.25, 1, "20.2"},
        {20.75, 1, "20.8"},
        {21.125, 2, "21.12"},
        {21.375, 2, "21.38"},
        {2.675, 2, "2.67"},
        {0.05, 1, "0.1"},
        {-20.25, 1, "-20.2"},
        {-0.04, 1, "-0.0"},
        {19.95, 1, "19.9"},
        {100, 2, "100.00"},
        {0.5, 0, "0"},
        {1.5, 0, "2"},
        {1e20, 1, "100000000000000000000.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*f", c.decimals, c.value);
        EXPECT_STREQ(buf, c.text);  // the case itself is what C writes
        EXPECT_EQ(formatFixed(c.value, c.decimals), QString::fromLatin1(c.text));
    }
    RegionalSettings persian(kPersian);
    EXPECT_EQ(formatFixed(20.25, 1), QStringLiteral("20\u066B2"));
}

// A number with the Persian separator written to a Windows-1256 file gets a point
// (the code page has no byte for it); UTF-8 files keep it, and both read back.
TEST(Convert, PersianSeparatorInFiles)
{
    RegionalSettings persian(kPersian);
    const QString n = formatFixed(20.3, 1);
    EXPECT_EQ(toAnsi(n), QByteArray("20.3"));
    EXPECT_EQ(decodeTextFile(encodeTextFile({n}, TextEncoding::Utf8)).lines, QStringList{n});
    RegionalSettings c(QLocale::c());
    EXPECT_DOUBLE_EQ(strToFloat(fromAnsi(toAnsi(n))), 20.3);
    EXPECT_DOUBLE_EQ(strToFloat(n), 20.3);
}

}  // namespace
