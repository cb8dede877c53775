// Persian throughout: Qt's own dialogs and buttons and the program's own messages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

#include "app/ui/application.h"
#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/textfile.h"

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

}  // namespace
