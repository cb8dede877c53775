#include "link/ui/form_comm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/programstate.h"
#include "config/expertaccess.h"
#include "config/ui/devicenamespage.h"
#include "config/ui/maintenancepages.h"
#include "config/ui/settingspage.h"
#include "download/download.h"
#include "link/devicelink.h"
#include "link/portfinder.h"
#include "link/replies.h"
#include "link/ui/askedlink.h"
#include "link/ui/devicechooser.h"
#include "platform/guardedconnect.h"

namespace {
template <class T>
T* named(T* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

}  // namespace

// ---------------------------------------------------------------- observer

void CommWindowObserver::sendLine(const QString& frame)
{
    m_comm->TabSendResive->addSent(frame);
}
void CommWindowObserver::rxLine(const QString& reply)
{
    m_comm->TabSendResive->addReceived(reply);
}
void CommWindowObserver::jsonLine(const QString& line)
{
    limitPaneLines(m_comm->Memo_Json, kTrafficPaneLineLimit);
    m_comm->Memo_Json->appendPlainText(line);
}
void CommWindowObserver::clearJson()
{
    m_comm->Memo_Json->clear();
}
void CommWindowObserver::showReplies()
{
    m_comm->PageControl1->setCurrentWidget(m_comm->TabSheet_Net);
    m_comm->PageControl2->setVisible(true);
    m_comm->PageControl2->setCurrentWidget(m_comm->TabSheet8);
}
void CommWindowObserver::ussdLine(const QString& answer)
{
    m_comm->Memo1->appendPlainText(answer);
}
void CommWindowObserver::statusText(const QString& text)
{
    m_comm->StatusBar1->showMessage(text);
}
void CommWindowObserver::captionText(const QString& text)
{
    m_comm->setWindowTitle(text);
}

void CommWindowObserver::busyCursor(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

// ---------------------------------------------------------------- window

TForm_Comm::TForm_Comm(ProgramState& state, DeviceLink& link, WindowCommands& commands, QWidget* parent)
    : QWidget(parent),
      m_search(link),
      m_ussd(link, state.SelDevice),
      MSComm1(link.MSComm1()),
      Timer1(m_ussd.Timer1()),
      m_state(state),
      m_link(link),
      m_observer(this)
{
    setObjectName(QStringLiteral("Form_Comm"));
    setWindowTitle(QStringLiteral("Communication"));
    setLayoutDirection(Qt::RightToLeft);
    MSComm1.setObjectName(QStringLiteral("MSComm1"));
    Timer1.setObjectName(QStringLiteral("Timer1"));

    PageControl1 = named(new QTabWidget(this), "PageControl1");
    TabSendResive = new TrafficPage(state, PageControl1);
    Memo_Send = TabSendResive->Memo_Send;
    Memo_Rx = TabSendResive->Memo_Rx;
    GroupBoxPeriod = TabSendResive->GroupBoxPeriod;

    TabSheet1 = new DeviceNamesPage(link, commands, PageControl1);

    // The settings page holds the parameter sheet's inner pages; the device commands,
    // the operator's panel and the replies page join them.
    TabSheet_Net = new TSettingsPage(state, link, PageControl1);
    PageControl2 = TabSheet_Net->PageControl2;
    TabSheet3 = TabSheet_Net->TabSheet3;
    TabSheet7 = TabSheet_Net->TabSheet7;
    TabSheet8 = new RepliesPage(state, link, m_search, PageControl2);
    Memo_Json = TabSheet8->Memo_Json;
    Button2 = TabSheet8->Button2;
    GroupBoxDeviceCommands = new DeviceCommandsPanel(state, link, TabSheet8, TabSheet3);
    GroupBoxDeviceCommands->useClockField(TabSheet_Net->LE_BaseParam_TimeDate);
    TabSheet_Net->addPanel(TabSheet3, GroupBoxDeviceCommands);
    PanelOperator = new OperatorPanel(state, link, TabSheet8, m_ussd, TabSheet7);
    Memo1 = PanelOperator->Memo1;
    TabSheet_Net->addPanel(TabSheet7, PanelOperator);
    TabSheet_Net->insertRepliesPage(TabSheet8, QStringLiteral("پاسخ ها"));
    PanelChooser = new DeviceChooser(state, link, TabSheet1, TabSheet_Net);
    TabSheet_Net->chooserRow()->addWidget(PanelChooser);
    PanelChooser->setSheetHooks({[this] { TabSheet_Net->clearSheet(); },
                                 guardedHandler([this] { TabSheet_Net->BtnReadAllDataClick(); }),
                                 [this](bool shown) { TabSheet_Net->BtnSendSettingJson->setVisible(shown); },
                                 [this] {
                                     m_state.expert.reset();
                                     setExpertAccess(false);
                                 }});
    m_state.expert.onGranted(this, [this] { setExpertAccess(true); });

    PageControl1->addTab(TabSendResive, QStringLiteral("ارسال و دریافت "));
    PageControl1->addTab(TabSheet1, QStringLiteral("نام  دستگاهها "));
    PageControl1->addTab(TabSheet_Net, TSettingsPage::caption());
    PageControl1->setCurrentWidget(TabSheet1);

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->showMessage(QStringLiteral("Ready"));

    auto* box = new QVBoxLayout(this);
    box->addWidget(PageControl1, 1);
    box->addWidget(StatusBar1);
    resize(860, 560);
}

TForm_Comm::~TForm_Comm() = default;

void TForm_Comm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) guarded([this] { TabSheet1->FormShow(); });
}

void TForm_Comm::closeEvent(QCloseEvent* event)
{
    // The window is only hidden; a LAN link it opened is closed with it.
    if (m_link.lanConnected()) {
        m_link.disconnectLan();
        Timer1.stop();
    }
    event->accept();
}

void TForm_Comm::setExpertAccess(bool granted)
{
    GroupBoxDeviceCommands->setExpertAccess(granted);
}
