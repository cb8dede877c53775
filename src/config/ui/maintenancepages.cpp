#include "config/ui/maintenancepages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "app/calendar.h"
#include "app/programstate.h"
#include "app/records.h"
#include "config/maintenance.h"
#include "config/paramsession.h"
#include "link/devicelink.h"
#include "link/devicesearch.h"
#include "link/ussdpoll.h"
#include "platform/dialogs.h"
#include "platform/guardedconnect.h"

namespace {
template <class T>
T* named(T* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

}  // namespace

// ---------------------------------------------------------------- replies page

RepliesPage::RepliesPage(ProgramState& state, DeviceLink& link, DeviceSearch& search, QWidget* parent)
    : QWidget(parent), m_state(state), m_link(link)
{
    setObjectName(QStringLiteral("TabSheet8"));
    Memo_Json = named(new QPlainTextEdit(this), "Memo_Json");
    Memo_Json->setLayoutDirection(Qt::LeftToRight);
    Button12 = named(new QPushButton(QStringLiteral("پاک کن"), this), "Button12");
    CBManualSend = named(new QComboBox(this), "CBManualSend");
    CBManualSend->setEditable(true);
    CBManualSend->setLayoutDirection(Qt::LeftToRight);
    CBManualSend->addItems(maintenance::presetCommands());
    CBManualSend->setMinimumWidth(340);
    BtnSendJson = named(new QPushButton(QStringLiteral("ارسال فرمان"), this), "BtnSendJson");
    Button2 = named(new QPushButton(QStringLiteral("جستجوی دستگاه ها"), this), "Button2");

    auto* row = new QHBoxLayout;
    row->addWidget(Button12);
    row->addWidget(CBManualSend, 1);
    row->addWidget(BtnSendJson);
    row->addWidget(Button2);
    auto* box = new QVBoxLayout(this);
    box->addLayout(row);
    box->addWidget(Memo_Json, 1);

    connectGuarded(BtnSendJson, &QPushButton::clicked, this, [this] { BtnSendJsonClick(); });
    connectGuarded(Button12, &QPushButton::clicked, this, [this] { Button12Click(); });
    connectGuarded(Button2, &QPushButton::clicked, this, [&search] {
        if (const QString busy = search.searchDevices(); !busy.isEmpty()) dialogs().message(busy);
    });
}

void RepliesPage::addReply(const QString& reply)
{
    Memo_Json->appendPlainText(reply);
    Memo_Json->appendPlainText(maintenance::kReplySeparator);
}

void RepliesPage::BtnSendJsonClick()
{
    const QString reply = m_link.Write2Dev(CBManualSend->currentText(), m_state.SelDevice);
    Memo_Json->clear();
    Memo_Json->appendPlainText(reply);
}

void RepliesPage::Button12Click()
{
    Memo_Json->clear();
}

// ---------------------------------------------------------------- clock, alarm, erase

DeviceCommandsPanel::DeviceCommandsPanel(ProgramState& state, DeviceLink& link, RepliesPage* replies, QWidget* parent)
    : QGroupBox(parent), m_state(state), m_link(link), m_replies(replies)
{
    setObjectName(QStringLiteral("GroupBoxDeviceCommands"));
    LE_BaseParam_TimeDate = named(new QLineEdit(this), "LE_BaseParam_TimeDate");
    LE_BaseParam_TimeDate->setReadOnly(true);
    LE_BaseParam_TimeDate->setLayoutDirection(Qt::LeftToRight);
    Button10 = named(new QPushButton(QStringLiteral("ارسال ساعت و تاریخ"), this), "Button10");
    BitBtn1 = named(new QPushButton(QStringLiteral("قطع هشدار"), this), "BitBtn1");
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_MediaVolumeMuted));
    BitBtn1->setIconSize(QSize(32, 32));
    BitBtn1->setMinimumHeight(56);
    btnClearAllFile = named(new QPushButton(QStringLiteral("پاک کردن  لاگ های قبلی "), this), "btnClearAllFile");
    btnClearAllFile->setEnabled(false);

    auto* grid = new QGridLayout(this);
    m_clockLabel = new QLabel(QStringLiteral("تاریخ و ساعت کامپیوتر"), this);
    grid->addWidget(m_clockLabel, 0, 0);
    grid->addWidget(LE_BaseParam_TimeDate, 0, 1);
    grid->addWidget(Button10, 1, 1);
    grid->addWidget(BitBtn1, 0, 2, 2, 1);
    grid->addWidget(btnClearAllFile, 2, 1);

    connectGuarded(Button10, &QPushButton::clicked, this, [this] { Button10Click(); });
    connectGuarded(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connectGuarded(btnClearAllFile, &QPushButton::clicked, this, [this] { btnClearAllFileClick(); });
}

void DeviceCommandsPanel::useClockField(QLineEdit* field)
{
    if (!field || field == LE_BaseParam_TimeDate) return;
    delete m_clockLabel;
    m_clockLabel = nullptr;
    delete LE_BaseParam_TimeDate;
    LE_BaseParam_TimeDate = field;
}

void DeviceCommandsPanel::setExpertAccess(bool granted)
{
    m_expert = granted;
    btnClearAllFile->setEnabled(granted);
}

void DeviceCommandsPanel::Button10Click()
{
    const _SYSTEMTIME t = clockOf(programNow(), m_state.Prog.calendar);
    LE_BaseParam_TimeDate->setText(maintenance::clockDisplay(t));
    const maintenance::ClockSetResult r =
        maintenance::setDeviceClock(m_state.journal, m_state.SelDevice.ID, t, chosenDeviceExchange());
    m_replies->Memo_Json->appendPlainText(r.reply);
    if (!r.replyJournalled) dialogs().message(replyNotJournalledMessage(m_state.journal.path()));
    if (r.confirmed) dialogs().message(maintenance::kClockSet);
    m_replies->Memo_Json->appendPlainText(maintenance::kReplySeparator);
}

void DeviceCommandsPanel::BitBtn1Click()
{
    m_replies->addReply(maintenance::stopDeviceAlarm(m_state.journal, m_state.SelDevice.ID, chosenDeviceExchange()));
}

void DeviceCommandsPanel::btnClearAllFileClick()
{
    if (!m_expert) return;
    // The question names the device, so nobody erases one device thinking of another;
    // without a chosen device there is nothing to ask about.
    if (m_state.SelDevice.ID.isEmpty() || m_state.SelDevice.IP.isEmpty()) {
        dialogs().message(linktext::kChooseDevice);
        return;
    }
    const std::optional<QString> answer =
        dialogs().input(maintenance::kEraseTitle, maintenance::erasePrompt(chosenDevice()), QString());
    if (!answer || !maintenance::eraseConfirmed(*answer)) return;
    // Said once the command is journalled, just before it goes out.
    const maintenance::CommandExchange announced = [this](const QString& command) {
        dialogs().message(maintenance::kEraseSent);
        return sendToChosenDevice(command);
    };
    m_replies->addReply(maintenance::eraseDeviceLog(m_state.journal, m_state.SelDevice.ID, *answer, announced));
}

// ---------------------------------------------------------------- operator codes

OperatorPanel::OperatorPanel(ProgramState& state, DeviceLink& link, RepliesPage* replies, UssdPoll& poll,
                             QWidget* parent)
    : QWidget(parent), m_state(state), m_link(link), m_replies(replies), m_poll(poll)
{
    setObjectName(QStringLiteral("PanelOperator"));
    EditCode = named(new QLineEdit(this), "EditCode");
    EditCode->setPlaceholderText(QStringLiteral("کد شارز را وارد کنید"));
    BtnEtebar = named(new QPushButton(QStringLiteral("افزایش اعتبار"), this), "BtnEtebar");
    EditSentToOperator = named(new QLineEdit(QStringLiteral("*555*1*2#"), this), "EditSentToOperator");
    EditSentToOperator->setPlaceholderText(QStringLiteral("ارسال فرمان به اپراتور "));
    BtnSentToOperator = named(new QPushButton(QStringLiteral("USSD ارسال"), this), "BtnSentToOperator");
    Button1 = named(new QPushButton(QStringLiteral("خواندن مجدد"), this), "Button1");
    Memo1 = named(new QPlainTextEdit(this), "Memo1");
    Memo1->setReadOnly(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(EditCode, 0, 0);
    grid->addWidget(BtnEtebar, 0, 1);
    grid->addWidget(EditSentToOperator, 1, 0);
    grid->addWidget(BtnSentToOperator, 1, 1);
    grid->addWidget(Button1, 2, 1);
    grid->addWidget(Memo1, 3, 0, 1, 2);

    connectGuarded(BtnSentToOperator, &QPushButton::clicked, this, [this] { BtnSentToOperatorClick(); });
    connectGuarded(BtnEtebar, &QPushButton::clicked, this, [this] { BtnEtebarClick(); });
    connectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void OperatorPanel::BtnSentToOperatorClick()
{
    const QString command = maintenance::ussdCommand(EditSentToOperator->text());
    m_replies->addReply(m_link.Write2Dev(command, m_state.SelDevice));
    m_poll.startPolling();
}

void OperatorPanel::BtnEtebarClick()
{
    // An empty code would be sent and its answer polled for nothing.
    if (!maintenance::hasTopUpCode(EditCode->text())) {
        dialogs().message(maintenance::kNoTopUpCode);
        EditCode->setFocus();
        return;
    }
    m_replies->addReply(m_link.Write2Dev(maintenance::topUpCommand(EditCode->text()), m_state.SelDevice));
    m_poll.startPolling();
}

void OperatorPanel::Button1Click()
{
    m_poll.continuePolling();
}

QString DeviceCommandsPanel::sendToChosenDevice(const QString& command)
{
    return m_link.Write2Dev(command, m_state.SelDevice);
}

maintenance::CommandExchange DeviceCommandsPanel::chosenDeviceExchange()
{
    return [this](const QString& command) { return sendToChosenDevice(command); };
}

Device_Rec DeviceCommandsPanel::chosenDevice() const
{
    const Device_Rec& chosen = m_state.SelDevice;
    for (int i = 0; i <= m_state.DevLast && i < kMaxDevices; ++i) {
        const Device_Rec& d = m_state.DevList[i];
        if (d.ID == chosen.ID && d.IP.compare(chosen.IP, Qt::CaseInsensitive) == 0) return d;
    }
    return chosen;
}
