// The main window's heading dialog, background picture and remarks, through restarts.
#include "views/annotations.h"

#include <QFileInfo>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "app/calendar.h"
#include "app/records.h"
#include "platform/textfile.h"
#include "reports/reportfile.h"
#include "support/fixtures.h"
#include "support/reportlines.h"
#include "support/windowsfixture.h"
#include "views/exportprint_support.h"
#include "views/month.h"
#include "views/ui/form1.h"
#include "views/ui/form_comment.h"

namespace {

class AnnotationsTest : public WindowsFixture
{
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        setProgramNowForTests(QDateTime(QDate(2024, 12, 2), QTime(14, 5)));  // 1403/9/12
    }
    void TearDown() override
    {
        closeWindows();
        WindowsFixture::TearDown();
    }
    void start(const QStringList& settings)
    {
        writeLines(path("DeviceStatus.txt"), settings);
        openWindows({});
    }
    void restart()
    {
        closeWindows();
        openWindows({});
    }
    // Opens the heading dialog from the menu, types text into the memo and presses OK;
    // the dialog is closed by its frame when OK keeps it open.
    void editHeading(const QString& text)
    {
        QTimer::singleShot(0, [this, text] {
            headingDialog()->Memo1->setPlainText(text);
            headingDialog()->OK->click();
            if (headingDialog()->isVisible()) headingDialog()->reject();
        });
        mainWindow()->EditComment1->trigger();
    }
    QStringList settingsWith(const QString& key) const
    {
        QStringList out;
        for (const QString& l : readLines(path("DeviceStatus.txt")))
            if (l.contains(key, Qt::CaseInsensitive)) out << l;
        return out;
    }
};

TEST_F(AnnotationsTest, HeadingRoundTripThroughARestart)
{
    QStringList settings{"refresh = 1", "device  =One,COM1,t,,,,A,T,serial,"};
    for (int i = 0; i < 12; ++i) settings << QStringLiteral("Comment%1 = old line %1").arg(i);
    start(settings);
    ASSERT_EQ(state().Prog.Comment.size(), 12);

    // The dialog shows the start-up lines; a shortened heading keeps none of the old ones.
    QTimer::singleShot(0, [this] {
        EXPECT_EQ(headingDialog()->Memo1->toPlainText().split('\n').size(), 12);
        headingDialog()->reject();
    });
    mainWindow()->EditComment1->trigger();
    editHeading(QStringLiteral("آزمایشگاه کنترل کیفیت\nاتاق نمونه ها\nQC lab\n"));
    EXPECT_EQ(mainWindow()->monthView().chart.title, QStringList({"آزمایشگاه کنترل کیفیت", "اتاق نمونه ها", "QC lab"}));
    EXPECT_EQ(state().Prog.Comment.size(), 12);  // the edited lines count from the next start
    EXPECT_EQ(settingsWith("Comment2"), QStringList{"Comment2 = QC lab"});
    EXPECT_EQ(settingsWith("Comment11"), QStringList{"Comment11 = "});
    EXPECT_EQ(readLines(path("DeviceStatus.txt")).mid(0, 2), settings.mid(0, 2));

    restart();
    // Windows-1256 has no Farsi Yeh: the settings file became UTF-8 with its mark, so
    // the heading comes back letter for letter.
    EXPECT_EQ(readTextFile(path("DeviceStatus.txt")).encoding, TextEncoding::Utf8);
    EXPECT_EQ(state().Prog.Comment, QStringList({"آزمایشگاه کنترل کیفیت", "اتاق نمونه ها", "QC lab"}));
    EXPECT_EQ(state().DevLast, 0);

    // Two lines on a file without heading keys: Comment2..Comment10 are written empty.
    writeLines(path("DeviceStatus.txt"), {"refresh = 1"});
    restart();
    editHeading(QStringLiteral("a\nb"));
    const QStringList lines = readLines(path("DeviceStatus.txt"));
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[1], "Comment0 = a");
    EXPECT_EQ(lines[2], "Comment1 = b");
    EXPECT_EQ(lines[11], "Comment10 = ");
    restart();
    EXPECT_EQ(state().Prog.Comment, QStringList({"a", "b"}));
}

// A line the settings reader would cut or take for a device is refused; nothing is written.
TEST_F(AnnotationsTest, HeadingLinesTheSettingsFileCannotHoldAreRefused)
{
    start({"Comment0 = kept"});
    const QStringList title = mainWindow()->monthView().chart.title;
    const QByteArray before = readFileBytes(path("DeviceStatus.txt"));
    const QList<std::pair<QString, QString>> cases{
        {"Room 1 (north)", "«(»"}, {"a=b", "«=»"}, {"x, y", "«,»"}, {"Device room 4", "«device»"}};
    for (const auto& [line, named] : cases) {
        SCOPED_TRACE(line.toStdString());
        dlg.expect(Kind::Message, named);
        editHeading(QStringLiteral("first\n") + line);
        EXPECT_EQ(readFileBytes(path("DeviceStatus.txt")), before);
    }
    EXPECT_EQ(mainWindow()->monthView().chart.title, title);
}

// A record of a month names its sensor whatever the heading: the title, both printed
// pages and the saved picture keep "Sensor Name" under edited heading lines, and so
// does a file given on the command line.
TEST_F(AnnotationsTest, EditedHeadingKeepsTheSensorNameInTitlePrintsAndPicture)
{
    const QString rep = path("3/A1_Temp.rep");
    writeLines(rep, {reportHeader(), fullDayT(7, 1, 20), fullDayT(7, 2, 21)});
    start({"Comment0 = OldHeading"});
    editHeading(QStringLiteral("NoFileYet"));
    EXPECT_EQ(mainWindow()->monthView().chart.title, QStringList{"NoFileYet"});  // nothing on show: no sensor line
    ASSERT_TRUE(mainWindow()->OpenMyFile(rep));
    editHeading(QStringLiteral("LabHeading\nSecondLine"));
    EXPECT_EQ(mainWindow()->monthView().chart.title,
              QStringList({"LabHeading", "SecondLine", "Sensor Name : A1_Temp "}));

    const auto printed = [&](QWidget* page, const QString& out) {
        mainWindow()->PageControl1->setCurrentWidget(page);
        PrintSetup setup;
        setup.outputFile = path(out);
        dlg.expectPrintSetup(setup);
        mainWindow()->Print1->trigger();
        return pdfWords(setup.outputFile);
    };
    for (const auto& [page, out] :
         {std::pair{mainWindow()->TabChart, "chart.pdf"}, std::pair{mainWindow()->TabTable, "table.pdf"}}) {
        SCOPED_TRACE(out);
        const PdfText pdf = printed(page, out);
        EXPECT_EQ(pdf.find(0, "LabHeading").size(), 1);
        EXPECT_EQ(pdf.find(0, "Sensor").size(), 1);
        EXPECT_FALSE(pdf.find(0, "A1_Temp").isEmpty());
    }
    dlg.expect(Kind::SaveFile, QString(), path("july"));
    mainWindow()->SaveasBitmap1->trigger();
    const ToolRun svg = runTool(QStringLiteral("wmf2svg"), {QStringLiteral("-o"), path("july.svg"), path("july.wmf")});
    ASSERT_EQ(svg.code, 0);
    EXPECT_TRUE(readFileBytes(path("july.svg")).contains(">Sensor<"));

    // Started with the file as its argument: the open dialog confirms it, the show step
    // puts the start-up heading on the chart, and the sensor line stays under it.
    closeWindows();
    openWindows({rep});
    dlg.expect(Kind::OpenFile, QString(), rep);
    mainWindow()->FormShow();
    EXPECT_EQ(mainWindow()->monthView().chart.title,
              QStringList({"LabHeading", "SecondLine", "Sensor Name : A1_Temp "}));
}

TEST_F(AnnotationsTest, WithHeadingLinesReplacesExactKeysOnly)
{
    // Comment10 before Comment1 in the file: each key reaches its own line.
    const QStringList out =
        withHeadingLines({"Comment10 = ten", "Comment1 = one", "comment12=twelve", "ver = 2"}, {"A", "B"});
    EXPECT_EQ(out.mid(0, 4), QStringList({"Comment10 = ", "Comment1 = B", "Comment12 = ", "ver = 2"}));
    EXPECT_TRUE(out.contains("Comment0 = A"));
    EXPECT_EQ(out.filter("Comment1 =").size(), 1);
}

TEST_F(AnnotationsTest, RemarkWithACommaIsAppendedAndShownAfterReload)
{
    start({});
    const QString rep = path("3/A1_Temp.rep");
    const QStringList lines{reportHeader(), fullDayT(7, 1, 20), fullDayT(7, 2, 21)};
    writeLines(rep, lines);
    ASSERT_TRUE(mainWindow()->OpenMyFile(rep));

    dlg.expect(Kind::Input, QString(), QStringLiteral("Door open, 14:05 back"));
    mainWindow()->AddComment1->trigger();
    const QString text = QStringLiteral("3/9/12 14:5:Door open, 14:05 back");
    EXPECT_EQ(readLines(rep), lines + QStringList{"Comment,7," + text});
    EXPECT_EQ(mainWindow()->monthView().chart.foot.last(), text);
    EXPECT_EQ(mainWindow()->shownYear()->remarks[7], QStringList{text});

    ASSERT_TRUE(mainWindow()->OpenMyFile(rep));
    EXPECT_EQ(mainWindow()->monthView().chart.foot.last(), text);
    mainWindow()->Btn_BackClick();  // month 7 is the only month: drawn again
    EXPECT_EQ(mainWindow()->monthView().chart.foot.last(), text);

    // Cancelled or empty: nothing changes.
    dlg.expect(Kind::Input, QString(), std::nullopt).expect(Kind::Input, QString(), QString());
    mainWindow()->AddComment1->trigger();
    mainWindow()->AddComment1->trigger();
    EXPECT_EQ(readLines(rep).size(), 4);
}

TEST_F(AnnotationsTest, RemarkNeedsAShownReportFileAndAWritableOne)
{
    start({});
    dlg.expect(Kind::Message, QStringLiteral("نموداری برای افزودن توضیحات انتخاب نشده است"));
    mainWindow()->AddComment1Click();

    const QString rep = path("3/A1_Temp.rep");
    writeLines(rep, {reportHeader(), fullDayT(7, 1, 20)});
    ASSERT_TRUE(mainWindow()->OpenMyFile(rep));
    const QByteArray before = readFileBytes(rep);
    // Adopted beforehand: what cannot be written is the report file, not the journal.
    adoptBeforeFirstWrite(state().journal, rep, readLines(rep));
    const QStringList foot = mainWindow()->monthView().chart.foot;
    dlg.expect(Kind::Input, QString(), QStringLiteral("late")).expect(Kind::Error, QString());
    {
        FileSizeLimit full(before.size());  // the longer file cannot be written
        mainWindow()->AddComment1->trigger();
    }
    EXPECT_EQ(readFileBytes(rep), before);
    EXPECT_EQ(mainWindow()->monthView().chart.foot, foot);  // not shown, since it was not kept
}

TEST_F(AnnotationsTest, BackgroundPictureSettingAndFailures)
{
    start({"picfile = ", "refresh = 1"});
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::green);
    ASSERT_TRUE(img.save(path("bg.png")));
    writeFileBytes(path("broken.png"), "not a picture at all");
    ASSERT_TRUE(img.save(path("my,pictures.png")));

    dlg.expect(Kind::OpenFile, QString(), path("bg.png"));
    mainWindow()->backimage1->trigger();
    EXPECT_EQ(mainWindow()->monthView().chart.backgroundPicture, path("bg.png"));
    EXPECT_EQ(settingsWith("picfile"), QStringList{"picfile = " + path("bg.png")});

    // Unreadable: the reader's text, the old picture and setting kept.
    dlg.expect(Kind::OpenFile, QString(), path("broken.png")).expect(Kind::Error, "broken.png");
    mainWindow()->backimage1->trigger();
    // A path the settings reader would cut: refused, naming the character.
    dlg.expect(Kind::OpenFile, QString(), path("my,pictures.png")).expect(Kind::Message, "«,»");
    mainWindow()->backimage1->trigger();
    EXPECT_EQ(mainWindow()->monthView().chart.backgroundPicture, path("bg.png"));
    EXPECT_EQ(settingsWith("picfile"), QStringList{"picfile = " + path("bg.png")});

    restart();
    EXPECT_EQ(mainWindow()->monthView().chart.backgroundPicture, path("bg.png"));
    dlg.expect(Kind::OpenFile, QString(), std::nullopt);
    mainWindow()->backimage1->trigger();
    EXPECT_TRUE(mainWindow()->monthView().chart.backgroundPicture.isEmpty());
    EXPECT_EQ(settingsWith("picfile"), QStringList{"picfile = "});
}

}  // namespace
