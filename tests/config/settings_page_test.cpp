// The settings page on Qt's offscreen platform against the emulator: the controls of
// the schema by name, reading, marking, the expert access and the send.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "app/calendar.h"
#include "app/ui/application.h"
#include "config/expertaccess.h"
#include "config/ui/settingspage.h"
#include "link/link_fixture.h"

namespace {

class Page : public LinkFixture
{
protected:
    void SetUp() override
    {
        LinkFixture::SetUp();
        page = std::make_unique<TSettingsPage>(state(), link);
    }
    void TearDown() override
    {
        page.reset();
        expertAccess().reset();
        setProgramNowForTests(QDateTime());
        LinkFixture::TearDown();
    }
    void startDevice()
    {
        const QString ip = DevSim::lanAddress(1);
        startSim(QStringLiteral("device id=A link=%1 name=Lab1 sensors=T,H,-,- names=Room,Hum\n").arg(ip));
        SelDevice = device("A", ip);
    }
    QLineEdit* edit(const QString& name) { return page->findChild<QLineEdit*>(name); }
    QComboBox* list(const QString& name) { return page->findChild<QComboBox*>(name); }
    static bool marked(QWidget* w) { return w->palette().color(QPalette::Base) == TSettingsPage::changedColor(); }

    std::unique_ptr<TSettingsPage> page;
};

TEST_F(Page, EveryParameterHasAControlOfItsNameKindAndState)
{
    for (const ParamRow& r : parameterSchema()) {
        SCOPED_TRACE(r.name().toStdString());
        QWidget* w = page->findChild<QWidget*>(r.name());
        ASSERT_NE(w, nullptr);
        if (r.kind == ParamKind::Index) {
            auto* l = qobject_cast<QComboBox*>(w);
            ASSERT_NE(l, nullptr);
            EXPECT_EQ(l->placeholderText(), "Index");
            EXPECT_EQ(l->count(), r.items.size());
        } else {
            auto* e = qobject_cast<QLineEdit*>(w);
            ASSERT_NE(e, nullptr);
            EXPECT_EQ(e->placeholderText(), kindName(r.kind));
        }
        EXPECT_EQ(w->isEnabled(), r.state == ParamState::Editable);
        EXPECT_EQ(w->isHidden(), r.state == ParamState::Hidden);
    }
    EXPECT_EQ(list("LE_BaseParam_AlarmPeriod")->itemText(4), " 15 دقیقه");
    EXPECT_EQ(list("LE_GSM_Wait4Con")->itemText(0), "هرگز");
    EXPECT_EQ(edit("LE_Station_Password")->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(edit("LE_BaseParam_Version")->isReadOnly());
    EXPECT_TRUE(page->BtnSendSettingJson->isHidden());
    const QStringList captions{"تنظیمات دستگاه", "تنظیمات سنسور ها", "تنظیمات شبکه ",
                               "تنظیمات  تلفنی", "وضعیت ها ",        "وضعیت متغیرهای دستگاه"};
    for (int i = 0; i < captions.size(); ++i) EXPECT_EQ(page->PageControl2->tabText(i), captions[i]);
}

TEST_F(Page, AListAndTheNarrowFieldThatCarriesItsLabelShareOneRow)
{
    page->resize(1000, 760);
    page->show();
    const struct
    {
        const char *list, *narrow, *label;
    } pairs[] = {{"LE_BaseParam_AlarmActive", "LE_BaseParam_AlarmActiveX", "فعالیت بوق"},
                 {"LE_BaseParam_AlarmPeriod", "LE_BaseParam_AlarmPeriodx", "انتظار برای هشدار"},
                 {"LE_GSM_Wait4Con", "LE_GSM_Wait4ConX", "دوره اتصال به سایت"},
                 {"LE_GSM_AlarmType", "LE_GSM_AlarmTypeX", "نوع هشدار"}};
    for (const auto& p : pairs) {
        SCOPED_TRACE(p.label);
        int labels = 0;
        for (QLabel* l : page->findChildren<QLabel*>())
            if (l->text() == QString::fromUtf8(p.label)) ++labels;
        EXPECT_EQ(labels, 1);
        QWidget* l = list(p.list);
        QWidget* n = edit(p.narrow);
        ASSERT_TRUE(l && n);
        for (int i = 0; i < page->PageControl2->count(); ++i)
            if (page->PageControl2->widget(i)->isAncestorOf(l)) page->PageControl2->setCurrentIndex(i);
        QApplication::processEvents();
        EXPECT_EQ(l->parentWidget(), n->parentWidget());
        EXPECT_LT(n->maximumWidth() * 3, l->width());
        // Right to left: the label, then the narrow field, then the list.
        EXPECT_GT(n->mapTo(page.get(), QPoint()).x(), l->mapTo(page.get(), QPoint()).x());
    }
}

TEST_F(Page, ReadEditSendAndReadAgain)
{
    startDevice();
    setProgramNowForTests(QDateTime(QDate(2020, 1, 25), QTime(14, 3, 51)));
    page->BtnReadAllDataClick();
    EXPECT_EQ(page->LE_BaseParam_TimeDate->text(), "98/11/5_0_14:3:0");
    EXPECT_EQ(edit("LE_BaseParam_Name")->text(), "Lab1");
    EXPECT_EQ(edit("LE_S0_Max1")->toolTip(), "S0.Max1");
    EXPECT_EQ(list("LE_BaseParam_AlarmPeriod")->currentIndex(), 2);
    EXPECT_FALSE(marked(edit("LE_BaseParam_Name")));

    edit("LE_S0_Max1")->setText("44.5");  // as typed
    EXPECT_TRUE(marked(edit("LE_S0_Max1")));
    EXPECT_FALSE(page->BtnSendSettingJson->isHidden());
    list("LE_GSM_AlarmType")->setCurrentIndex(3);
    emit list("LE_GSM_AlarmType")->activated(3);  // the user's pick
    EXPECT_TRUE(marked(list("LE_GSM_AlarmType")));

    page->BtnSendSettingJson->click();
    EXPECT_EQ(sim.requests("Main"), QStringList{"A{SetFullPara(\"Main\":{\"S0\":{\"Max1\":44.5,},"
                                                "\"GSM\":{\"AlarmType\":3,}):1,A}#"});
    EXPECT_FALSE(marked(edit("LE_S0_Max1")));
    EXPECT_FALSE(page->BtnSendSettingJson->isHidden());  // it stays shown after a send

    auto fresh = std::make_unique<TSettingsPage>(state(), link);
    fresh->BtnReadAllDataClick();
    EXPECT_EQ(fresh->findChild<QLineEdit*>("LE_S0_Max1")->text(), "44.5");
    EXPECT_EQ(fresh->findChild<QComboBox*>("LE_GSM_AlarmType")->currentIndex(), 3);
    fresh->clearSheet();  // another device chosen
    EXPECT_EQ(fresh->findChild<QLineEdit*>("LE_S0_Max1")->text(), "");
    EXPECT_EQ(fresh->findChild<QComboBox*>("LE_GSM_AlarmType")->currentIndex(), -1);
    EXPECT_TRUE(dlg.problems().isEmpty()) << dlg.problems().join('\n').toStdString();
}

TEST_F(Page, ExpertAccessFollowsTheHour)
{
    startDevice();
    page->BtnReadAllDataClick();
    page->Button4Click();
    EXPECT_EQ(edit("LE_GSM_IMEI")->text(), "350000000000001");
    page->BtnReadAllDataClick();
    ASSERT_FALSE(edit("LE_BaseParam_ID")->isEnabled());

    bool eraseEnabled = false;  // what the maintenance commands hang on the access
    QObject holder;
    expertAccess().onGranted(&holder, [&] { eraseEnabled = true; });

    setProgramNowForTests(QDateTime(QDate(2024, 5, 1), QTime(10, 0)));
    page->ConfigPass->setText("739");  // the code of 9:59 is no longer accepted at 10:00
    page->ConfigPass->setText("7309");
    EXPECT_FALSE(expertAccess().granted());
    setProgramNowForTests(QDateTime(QDate(2024, 5, 1), QTime(9, 59)));
    dlg.expect(Kind::Message, sheettext::kExpertWarning);
    page->ConfigPass->setText("739");
    EXPECT_TRUE(expertAccess().granted());
    EXPECT_TRUE(eraseEnabled);
    EXPECT_TRUE(edit("LE_BaseParam_ID")->isEnabled());
    EXPECT_FALSE(edit("LE_GSM_IMEI")->isEnabled());  // bound by the status read, not by the last full read
    EXPECT_TRUE(edit("LE_BaseParam_Version")->isReadOnly());
    // the access granted stays after the hour, and later reads enable what they bind
    setProgramNowForTests(QDateTime(QDate(2024, 5, 1), QTime(10, 0)));
    page->Button4Click();
    EXPECT_TRUE(edit("LE_GSM_IMEI")->isEnabled());
    EXPECT_TRUE(dlg.problems().isEmpty()) << dlg.problems().join('\n').toStdString();
}

TEST_F(Page, ARefusedValueIsNamedInPersianAndNothingIsSent)
{
    startDevice();
    page->BtnReadAllDataClick();
    ASSERT_TRUE(installPersianTranslations(*qApp));
    struct Restore
    {
        ~Restore() { removePersianTranslations(*qApp); }
    } restore;
    edit("LE_S0_Max1")->setText("99999999999999999999999");
    edit("LE_S1_Name")->setText("Hum$");
    dlg.expect(Kind::Message, sheettext::kBadChars);
    dlg.expect(Kind::Message, QStringLiteral("مقدار S0.Max1 باید عددی از -999999 تا 999999 باشد"));
    page->BtnSendSettingJson->click();
    EXPECT_TRUE(sim.requests("Main").isEmpty());
    EXPECT_TRUE(marked(edit("LE_S0_Max1")));  // the marks stay
    EXPECT_TRUE(dlg.problems().isEmpty()) << dlg.problems().join('\n').toStdString();
}

TEST_F(Page, ControlsFilledBeforeAFailedReadKeepTheirValues)
{
    startDevice();
    page->BtnReadAllDataClick();
    sim.stop();
    startSim(QStringLiteral("device id=A link=%1 fault=notjson\n").arg(DevSim::lanAddress(1)));
    link.reset();
    dlg.expect(Kind::Message, sheettext::kNoReply);
    page->BtnReadAllDataClick();
    EXPECT_EQ(edit("LE_BaseParam_Name")->text(), "Lab1");
    EXPECT_FALSE(page->sheet().loaded);
    EXPECT_TRUE(obs.json.first().startsWith("ERR>{\"Main\""));
}

}  // namespace
