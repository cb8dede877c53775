#include "config/ui/periodstartbox.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "app/ledger.h"
#include "app/programstate.h"
#include "config/devicelist.h"
#include "platform/dialogs.h"
#include "platform/guardedconnect.h"
#include "platform/shell.h"
#include "views/about.h"

namespace {
QComboBox* numberList(int from, int to, const QString& prompt, const char* name, QWidget* parent)
{
    auto* cb = new QComboBox(parent);
    cb->setObjectName(QLatin1String(name));
    cb->setEditable(true);
    for (int i = from; i <= to; ++i) cb->addItem(QString::number(i));
    cb->setCurrentIndex(-1);
    cb->setEditText(prompt);
    return cb;
}
}  // namespace

PeriodStartBox::PeriodStartBox(ProgramState& state, QWidget* parent)
    : QGroupBox(QStringLiteral("تنظیم اول دوره "), parent), m_state(state)
{
    setObjectName(QStringLiteral("GroupBoxPeriod"));
    CB_Day = numberList(1, 31, QStringLiteral("روز"), "CB_Day", this);
    CB_Mon = numberList(1, 12, QStringLiteral("ماه"), "CB_Mon", this);
    CB_Year = numberList(1396, 1416, QStringLiteral("سال"), "CB_Year", this);
    Button3 = new QPushButton(QStringLiteral("ثبت"), this);
    Button3->setObjectName(QStringLiteral("Button3"));
    auto* row = new QHBoxLayout(this);
    for (QWidget* w : {static_cast<QWidget*>(CB_Day), static_cast<QWidget*>(CB_Mon), static_cast<QWidget*>(CB_Year),
                       static_cast<QWidget*>(Button3)})
        row->addWidget(w);
    connectGuarded(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
}

void PeriodStartBox::Button3Click()
{
    using O = devicelist::PeriodStart::Outcome;
    const devicelist::PeriodStart p =
        devicelist::parsePeriodStart(CB_Year->currentText(), CB_Mon->currentText(), CB_Day->currentText());
    if (p.outcome == O::NotNumbers) {
        dialogs().message(QStringLiteral("لطفا اطلاعات را درست وارد کنید و در صورت تردید از اصلاح خودداری فرمایید"));
        return;
    }
    if (p.outcome == O::OutOfRange) return;
    ResetLastRefresh(m_state, p.year, p.month, p.day, m_state.journal);
    dialogs().message(QStringLiteral("لطفا در صورت وجود پوشه سال جاری در کنار برنامه آن را تغییر نام دهید "));
    dialogs().message(QStringLiteral("تغییرات ذخیره شد لطفا برنامه را بسته و دوباره باز کنید."));
    // A desktop without a program for folders says so only on standard error: the user
    // is told where the folder is.
    if (!shell().open(m_state.Prog.RootDir)) dialogs().message(programFolderNotOpenedMessage(m_state.Prog.RootDir));
    window()->close();
}
