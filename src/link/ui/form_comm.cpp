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
#include "app/ui/forms.h"
#include "config/expertaccess.h"
#include "config/ui/devicenamespage.h"
#include "config/ui/maintenancepages.h"
#include "config/ui/settingspage.h"
#include "download/download.h"
#include "link/devicelink.h"
#include "link/replies.h"
#include "link/ui/askedlink.h"
#include "link/ui/devicechooser.h"
#include "link/ui/form_wait2.h"
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

void WindowsLinkObserver::sendLine(const QString& frame)
{
    m_comm->TabSendResive->addSent(frame);
}
void WindowsLinkObserver::rxLine(const QString& reply)
{
    m_comm->TabSendResive->addReceived(reply);
}
void WindowsLinkObserver::jsonLine(const QString& line)
{
    limitPaneLines(m_comm->Memo_Json, kTrafficPaneLineLimit);
    m_comm->Memo_Json->appendPlainText(line);
}
void WindowsLinkObserver::clearJson()
{
    m_comm->Memo_Json->clear();
}
void WindowsLinkObserver::showReplies()
{
    m_comm->PageControl1->setCurrentWidget(m_comm->TabSheet_Net);
    m_comm->PageControl2->setVisible(true);
    m_comm->PageControl2->setCurrentWidget(m_comm->TabSheet8);
}
void WindowsLinkObserver::ussdLine(const QString& answer)
{
    m_comm->Memo1->appendPlainText(answer);
}
void WindowsLinkObserver::statusText(const QString& text)
{
    m_comm->StatusBar1->showMessage(text);
}
void WindowsLinkObserver::captionText(const QString& text)
{
    m_comm->setWindowTitle(text);
}

void WindowsLinkObserver::busyCursor(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void WindowsLinkObserver::waitLabel(WaitLabel which, const QString& text)
{
    if (!Form_wait2) return;
    switch (which) {
        case WaitLabel::Port:
            Form_wait2->Label_port->setText(text);
            break;
        case WaitLabel::Status:
            Form_wait2->Label_Status->setText(text);
            break;
        case WaitLabel::Cnt:
            Form_wait2->Label_Cnt->setText(text);
            break;
    }
}

void WindowsLinkObserver::waitBarRange(WaitBar which, int min, int max)
{
    if (!Form_wait2) return;
    (which == WaitBar::Day ? Form_wait2->ProgressBar1 : Form_wait2->ProgressBarAll)->setRange(min, max);
}

void WindowsLinkObserver::waitBarPosition(WaitBar which, int pos)
{
    if (!Form_wait2) return;
    (which == WaitBar::Day ? Form_wait2->ProgressBar1 : Form_wait2->ProgressBarAll)->setValue(pos);
}

void WindowsLinkObserver::reportLine(const QString& line)
{
    if (Form_wait2) Form_wait2->Memo_report->appendPlainText(line);
}

void WindowsLinkObserver::startRun()
{
    // The report list tells one run: the lines of the run before are not this one's.
    if (Form_wait2) Form_wait2->Memo_report->clear();
}

void WindowsLinkObserver::showWait(bool shown)
{
    if (!Form_wait2) return;
    if (shown)
        Form_wait2->showForRun();
    else
        Form_wait2->hide();
}

// ---------------------------------------------------------------- window

TForm_Comm::TForm_Comm(QWidget* parent)
    : QWidget(parent), MSComm1(deviceLink().MSComm1()), Timer1(deviceLink().Timer1()), m_observer(this)
{
    setObjectName(QStringLiteral("Form_Comm"));
    setWindowTitle(QStringLiteral("Communication"));
    setLayoutDirection(Qt::RightToLeft);
    MSComm1.setObjectName(QStringLiteral("MSComm1"));
    Timer1.setObjectName(QStringLiteral("Timer1"));

    PageControl1 = named(new QTabWidget(this), "PageControl1");
    TabSendResive = new TrafficPage(PageControl1);
    Memo_Send = TabSendResive->Memo_Send;
    Memo_Rx = TabSendResive->Memo_Rx;
    GroupBoxPeriod = TabSendResive->GroupBoxPeriod;

    TabSheet1 = new DeviceNamesPage(PageControl1);

    // The settings page holds the parameter sheet's inner pages; the device commands,
    // the operator's panel and the replies page join them.
    TabSheet_Net = new TSettingsPage(PageControl1);
    PageControl2 = TabSheet_Net->PageControl2;
    TabSheet3 = TabSheet_Net->TabSheet3;
    TabSheet7 = TabSheet_Net->TabSheet7;
    TabSheet8 = new RepliesPage(PageControl2);
    Memo_Json = TabSheet8->Memo_Json;
    Button2 = TabSheet8->Button2;
    GroupBoxDeviceCommands = new DeviceCommandsPanel(TabSheet8, TabSheet3);
    GroupBoxDeviceCommands->useClockField(TabSheet_Net->LE_BaseParam_TimeDate);
    TabSheet_Net->addPanel(TabSheet3, GroupBoxDeviceCommands);
    PanelOperator = new OperatorPanel(TabSheet8, TabSheet7);
    Memo1 = PanelOperator->Memo1;
    TabSheet_Net->addPanel(TabSheet7, PanelOperator);
    TabSheet_Net->insertRepliesPage(TabSheet8, QStringLiteral("پاسخ ها"));
    PanelChooser = new DeviceChooser(TabSheet1, TabSheet_Net);
    TabSheet_Net->chooserRow()->addWidget(PanelChooser);
    PanelChooser->setSheetHooks({[this] { TabSheet_Net->clearSheet(); },
                                 guardedHandler([this] { TabSheet_Net->BtnReadAllDataClick(); }),
                                 [this](bool shown) { TabSheet_Net->BtnSendSettingJson->setVisible(shown); },
                                 [this] {
                                     expertAccess().reset();
                                     setExpertAccess(false);
                                 }});
    expertAccess().onGranted(this, [this] { setExpertAccess(true); });

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

    deviceLink().setObserver(&m_observer);
}

TForm_Comm::~TForm_Comm()
{
    deviceLink().setObserver(nullptr);
}

void TForm_Comm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) guarded([this] { TabSheet1->FormShow(); });
}

void TForm_Comm::closeEvent(QCloseEvent* event)
{
    // The window is only hidden; a LAN link it opened is closed with it.
    if (deviceLink().lanConnected()) {
        deviceLink().Mydisconnect();
        Timer1.stop();
    }
    event->accept();
}

void TForm_Comm::setExpertAccess(bool granted)
{
    GroupBoxDeviceCommands->setExpertAccess(granted);
}

int& TForm_Comm::UssdPollCount()
{
    return deviceLink().UssdPollCount;
}
bool& TForm_Comm::LinkPending()
{
    return deviceLink().LinkPending;
}

QString TForm_Comm::Write2Dev(const QString& str1, Device_Rec& Device1)
{
    return deviceLink().Write2Dev(str1, Device1);
}

void TForm_Comm::Button2Click()
{
    deviceLink().searchDevices();
}
void TForm_Comm::Timer1Timer()
{
    deviceLink().pollUssdAnswer();
}
void TForm_Comm::Memo_SendChange()
{
    TabSendResive->Memo_SendChange();
}
void TForm_Comm::Memo_RxChange()
{
    TabSendResive->Memo_RxChange();
}

int TForm_Comm::FindNumber(const QString& s1)
{
    return ::FindNumber(s1);
}
bool TForm_Comm::JSon2DateTime(const QString& s1, _SYSTEMTIME& t1)
{
    return ::JSon2DateTime(s1, t1);
}
bool TForm_Comm::JSon2Online(const QString& sOnline, QString& st1, QString& st2, QString& st3, QString& st4,
                             QString& Alarm2, QString& Memerr, QString& ID2)
{
    return ::JSon2Online(sOnline, st1, st2, st3, st4, Alarm2, Memerr, ID2);
}
bool TForm_Comm::Connect2Lan(const QString& IP)
{
    return connectAskedFor(deviceLink(), IP);
}
void TForm_Comm::Mydisconnect()
{
    deviceLink().Mydisconnect();
}
void TForm_Comm::OpenPort2(const QString& strPort)
{
    openAskedFor(deviceLink(), strPort);
}
void TForm_Comm::BtnShowComClick()
{
    deviceLink().showSerialPorts();
}

void TForm_Comm::BtnReadAllDataClick()
{
    TabSheet_Net->BtnReadAllDataClick();
}

void TForm_Comm::BtnGetAllClick()
{
    runAllDevicesDownload(programState(), deviceLink());  // composition
}
