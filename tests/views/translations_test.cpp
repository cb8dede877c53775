// Persian throughout: Qt's own dialogs and buttons and the program's own messages.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

#include "app/ui/application.h"
#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "support/fixtures.h"
#include "support/windowsfixture.h"
#include "views/ui/monthview.h"

namespace {

bool isPersian(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x0600 && c.unicode() <= 0x06FF; });
}

QString conversionError()
{
    try {
        strToInt(QStringLiteral("x"));
    } catch (const ConvertError& e) {
        return e.text();
    }
    return {};
}

QString pictureError()
{
    try {
        requireReadablePicture(QStringLiteral("/no/such/folder/back.png"));
    } catch (const FileError& e) {
        return e.text();
    }
    return {};
}

QString fileError()
{
    try {
        readTextFile(QStringLiteral("/no/such/folder/DeviceStatus.txt"));
    } catch (const FileError& e) {
        return e.text();
    }
    return {};
}

TEST(Translations, QtsDialogsAndTheProgramsMessagesArePersian)
{
    struct Text
    {
        const char* what;
        QString (*get)();
    };
    const Text texts[] = {
        {"Yes button",
         [] {
             QDialogButtonBox box(QDialogButtonBox::Yes);
             return box.button(QDialogButtonBox::Yes)->text();
         }},
        {"open dialog's labels",
         [] {
             QFileDialog d(nullptr, QStringLiteral("t"));
             d.setOption(QFileDialog::DontUseNativeDialog);
             QStringList labels;
             for (QLabel* l : d.findChildren<QLabel*>()) labels << l->text();
             return labels.join(QLatin1Char(' '));
         }},
        {"conversion error", conversionError},
        {"file error", fileError},
        {"background picture error", pictureError},
    };
    auto& app = *qApp;
    for (const Text& t : texts) EXPECT_FALSE(isPersian(t.get())) << t.what << ": " << t.get().toStdString();
    ASSERT_TRUE(installPersianTranslations(app));
    for (const Text& t : texts) EXPECT_TRUE(isPersian(t.get())) << t.what << ": " << t.get().toStdString();
    EXPECT_EQ(conversionError(), QStringLiteral("«x» عدد صحیح معتبری نیست"));
    EXPECT_TRUE(fileError().contains(QStringLiteral("/no/such/folder/DeviceStatus.txt")));
    removePersianTranslations(app);
    EXPECT_EQ(conversionError(), QStringLiteral("'x' is not a valid integer value"));
}

// Every text the windows show: labels, buttons, group and tab titles, menus, window
// titles, table headings, place holders and tool tips.
QStringList windowTexts()
{
    QStringList texts;
    for (QWidget* w : QApplication::allWidgets()) {
        texts << w->windowTitle() << w->toolTip();
        if (auto* l = qobject_cast<QLabel*>(w)) texts << l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) texts << b->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) texts << g->title();
        if (auto* e = qobject_cast<QLineEdit*>(w)) texts << e->placeholderText();
        if (auto* t = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i) texts << t->tabText(i);
        if (auto* m = qobject_cast<QMenu*>(w)) {
            texts << m->title();
            for (const QAction* a : m->actions()) texts << a->text();
        }
        if (auto* t = qobject_cast<QTableWidget*>(w))
            for (int c = 0; c < t->columnCount(); ++c)
                if (const QTableWidgetItem* h = t->horizontalHeaderItem(c)) texts << h->text();
    }
    return texts;
}

// An English text: a Latin word of two letters or more and no Persian letter (an ID
// or an address alone is no text to translate).
bool isEnglish(const QString& text)
{
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    return !isPersian(text) && word.match(text).hasMatch();
}

class WindowTexts : public WindowsFixture
{
protected:
    void TearDown() override
    {
        closeWindows();
        removePersianTranslations(*qApp);
        WindowsFixture::TearDown();
    }
};

// The windows show English only where the program's design gives an English text
// (tests/data/english-window-texts.txt, one per line): any other English text in a
// window is listed, to be given a Persian one.
TEST_F(WindowTexts, EnglishTextsAreOnlyThoseOfTheDesign)
{
    writeLines(path("DeviceStatus.txt"), {"device  =انبار,127.0.0.1,یخچال,,,,A,T,lan,"});
    ASSERT_TRUE(installPersianTranslations(*qApp));
    openWindows({});
    const QStringList allowed =
        readTextFile(QStringLiteral(TERMIVO_SOURCE_DIR "/tests/data/english-window-texts.txt")).lines;
    QStringList unexpected;
    for (const QString& text : windowTexts())
        for (const QString& line : text.split(QRegularExpression(QStringLiteral("[\\r\\n]+"))))
            if (isEnglish(line) && !allowed.contains(line) && !unexpected.contains(line)) unexpected << line;
    unexpected.sort();
    EXPECT_TRUE(unexpected.isEmpty()) << "English texts in the windows (translate them, or add a text the design "
                                         "gives to tests/data/english-window-texts.txt):\n"
                                      << unexpected.join(QLatin1Char('\n')).toStdString();
}

#ifdef TERMIVO_LUPDATE
// Every text of the sources marked for translation has its Persian translation: the
// translation file is brought up to date from the sources in a copy, and each text
// left without a translation is listed.
TEST(Translations, EveryMarkedTextHasAPersianTranslation)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString ts = dir.filePath(QStringLiteral("termivo_fa.ts"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TERMIVO_SOURCE_DIR "/translations/termivo_fa.ts"), ts));
    QFile::setPermissions(ts, QFile::ReadOwner | QFile::WriteOwner);
    QProcess lupdate;
    lupdate.start(QStringLiteral(TERMIVO_LUPDATE),
                  {QStringLiteral("-no-obsolete"), QStringLiteral("-locations"), QStringLiteral("none"),
                   QStringLiteral(TERMIVO_SOURCE_DIR "/src"), QStringLiteral("-ts"), ts});
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    QFile f(ts);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    static const QRegularExpression message(
        QStringLiteral("<source>(.*?)</source>\\s*<translation( type=\"unfinished\")?>(.*?)</translation>"),
        QRegularExpression::DotMatchesEverythingOption);
    QStringList missing;
    int count = 0;
    for (auto it = message.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        ++count;
        if (!m.captured(2).isEmpty() || m.captured(3).trimmed().isEmpty()) missing << m.captured(1);
    }
    EXPECT_GT(count, 50);
    EXPECT_TRUE(missing.isEmpty()) << "texts without a Persian translation (ninja update_translations, then translate "
                                      "them in translations/termivo_fa.ts):\n"
                                   << missing.join(QLatin1Char('\n')).toStdString();
}
#endif

}  // namespace
