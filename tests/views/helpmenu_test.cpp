// The help menu and the about window, through a recording shell layer.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include "app/records.h"
#include "platform/shell.h"
#include "support/fixtures.h"
#include "support/windowsfixture.h"
#include "views/about.h"
#include "views/exportprint_support.h"
#include "views/ui/aboutbox.h"
#include "views/ui/form1.h"
#include "views/ui/form_message.h"

namespace {

class HelpMenuTest : public WindowsFixture
{
protected:
    void SetUp() override
    {
        WindowsFixture::SetUp();
        setShell(&recorded);
        writeLines(path("DeviceStatus.txt"), {"device  =Cold room,127.0.0.11,Freezer,,,,A,T,lan,"});
        openWindows({});
    }
    void TearDown() override
    {
        closeWindows();
        setShell(nullptr);
        QDir::setCurrent(m_cwd);
        WindowsFixture::TearDown();
    }
    RecordingShell recorded;
    QString m_cwd = QDir::currentPath();
};

TEST_F(HelpMenuTest, ItemsGoToTheShell)
{
    // Started from another folder: the help document and the folder are the program's.
    QDir().mkpath(path("elsewhere"));
    QDir::setCurrent(path("elsewhere"));
    mainWindow()->site1->trigger();
    mainWindow()->pdfHelp->trigger();
    mainWindow()->openfolder1->trigger();
    EXPECT_EQ(recorded.opened, QStringList({kMakerSite, root() + "Software Help.pdf", root()}));
}

// A desktop without a launcher opens nothing (only standard error would say so): the
// help document and the program's folder are named in a message instead.
TEST_F(HelpMenuTest, WithoutALauncherTheFileOrFolderIsNamed)
{
    recorded.launches = false;
    dlg.expect(Kind::Message, "فایل راهنما:\n" + root() + "Software Help.pdf")
        .expect(Kind::Message, "پوشه برنامه:\n" + root());
    mainWindow()->pdfHelp->trigger();
    mainWindow()->openfolder1->trigger();
    EXPECT_EQ(recorded.opened, QStringList({root() + "Software Help.pdf", root()}));
}

TEST_F(HelpMenuTest, TroubleshootingMailNeedsAMailHandler)
{
    dlg.expect(Kind::Message, kNoMailProgramMessage);
    mainWindow()->mailto1->trigger();
    EXPECT_TRUE(recorded.opened.isEmpty());

    recorded.handlers << "mailto";
    messageWindow()->addLine("Cold room: no reply, 3 tries");
    QTest::mouseClick(aboutBox()->Label_mail, Qt::LeftButton);  // the about window's e-mail line does the same
    mainWindow()->mailto1->trigger();
    ASSERT_EQ(recorded.opened.size(), 2);
    EXPECT_EQ(recorded.opened[0], recorded.opened[1]);
    const QUrl url(recorded.opened[0]);
    EXPECT_EQ(url.scheme(), "mailto");
    EXPECT_EQ(url.path(), kMakerMail);
    const QString body = QUrlQuery(url).queryItemValue("body", QUrl::FullyDecoded);
    EXPECT_TRUE(body.contains(kProgramVersion));
    EXPECT_TRUE(body.contains("Cold room ID=A 127.0.0.11 [1:Freezer]"));
    EXPECT_TRUE(body.contains("Cold room: no reply, 3 tries"));
}

TEST_F(HelpMenuTest, AboutWindowFromF1)
{
    EXPECT_EQ(mainWindow()->About1->shortcut(), QKeySequence(Qt::Key_F1));
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = aboutBox()->isVisible();
        const QStringList history = aboutBox()->Memo1->toPlainText().split('\n');
        EXPECT_EQ(history.first(), "تاریخچه ویرایش ها");
        EXPECT_EQ(history.filter(QRegularExpression("^ویرایش \\d+/\\d+/\\d+$")).size(), 9);
        EXPECT_EQ(history.mid(history.size() - 7), QStringList(7, QString()));
        EXPECT_TRUE(aboutBox()->Memo1->isReadOnly());
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(aboutBox()->Label_site, &enter);
        EXPECT_TRUE(aboutBox()->Label_site->styleSheet().contains("red"));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(aboutBox()->Label_site, &leave);
        EXPECT_TRUE(aboutBox()->Label_site->styleSheet().contains("blue"));
        QTest::mouseClick(aboutBox()->Label_site, Qt::LeftButton);
        aboutBox()->OKButton->click();
    });
    mainWindow()->About1->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(aboutBox()->result(), QDialog::Accepted);
    EXPECT_EQ(recorded.opened, QStringList{kMakerSite});
}

}  // namespace

namespace {

// The build writes the help document beside the program, from docs/help/help.html.
TEST(HelpDocument, LiesBesideTheProgram)
{
    const QString pdf = QStringLiteral(TERMIVO_BINARY_DIR "/Software Help.pdf");
    ASSERT_TRUE(QFileInfo::exists(pdf)) << "built by the target termivo_help_pdf";
    const ToolRun r = runTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_EQ(r.code, 0);
    // poppler gives Arabic presentation forms: compatibility normalisation gives the letters back
    const QString text = r.out.normalized(QString::NormalizationForm_KC);
    EXPECT_TRUE(text.contains(QStringLiteral("پنجره اصلی")));
    EXPECT_TRUE(text.contains(QStringLiteral("--export-chart")));
}

}  // namespace
