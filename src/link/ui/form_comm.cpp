#include "link/ui/form_comm.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ui/forms.h"
#include "download/download.h"
#include "link/devicelink.h"
#include "link/replies.h"
#include "link/ui/form_wait2.h"
#include "platform/errors.h"

namespace {
template <class T>
T* named(T* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

void limitLines(QPlainTextEdit* memo, int limit)
{
    if (memo->blockCount() > limit) memo->clear();
}
}  // namespace

// ---------------------------------------------------------------- observer

void WindowsLinkObserver::sendLine(const QString& frame)
{
    m_comm->Memo_Send->appendPlainText(frame);
}
void WindowsLinkObserver::rxLine(const QString& reply)
{
    m_comm->Memo_Rx->appendPlainText(reply);
}
void WindowsLinkObserver::jsonLine(const QString& line)
{
    m_comm->Memo_Json->appendPlainText(line);
}
void WindowsLinkObserver::clearJson()
{
    m_comm->Memo_Json->clear();
}
void WindowsLinkObserver::showReplies()
{
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
    setWindowTitle(QStringLiteral("تنظیمات"));
    setLayoutDirection(Qt::RightToLeft);
    MSComm1.setObjectName(QStringLiteral("MSComm1"));
    Timer1.setObjectName(QStringLiteral("Timer1"));

    PageControl2 = named(new QTabWidget(this), "PageControl2");
    TabSendResive = named(new QWidget(PageControl2), "TabSendResive");
    Memo_Send = named(new QPlainTextEdit(TabSendResive), "Memo_Send");
    Memo_Rx = named(new QPlainTextEdit(TabSendResive), "Memo_Rx");
    for (QPlainTextEdit* m : {Memo_Send, Memo_Rx}) {
        m->setReadOnly(true);
        m->setLayoutDirection(Qt::LeftToRight);
    }
    auto* traffic = new QHBoxLayout(TabSendResive);
    traffic->addWidget(Memo_Send);
    traffic->addWidget(Memo_Rx);

    TabSheet8 = named(new QWidget(PageControl2), "TabSheet8");
    Button2 = named(new QPushButton(QStringLiteral("جستجوی دستگاه ها"), TabSheet8), "Button2");
    Memo_Json = named(new QPlainTextEdit(TabSheet8), "Memo_Json");
    Memo_Json->setLayoutDirection(Qt::LeftToRight);
    Memo1 = named(new QPlainTextEdit(TabSheet8), "Memo1");
    Memo1->setReadOnly(true);
    auto* replies = new QVBoxLayout(TabSheet8);
    auto* row = new QHBoxLayout;
    row->addWidget(Button2);
    row->addStretch(1);
    replies->addLayout(row);
    replies->addWidget(Memo_Json, 1);
    replies->addWidget(Memo1);

    PageControl2->addTab(TabSendResive, QStringLiteral("ارسال و دریافت"));
    PageControl2->addTab(TabSheet8, QStringLiteral("پاسخ ها"));

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->showMessage(QStringLiteral("Ready"));

    auto* box = new QVBoxLayout(this);
    box->addWidget(PageControl2, 1);
    box->addWidget(StatusBar1);
    resize(720, 520);

    connect(Button2, &QPushButton::clicked, this, [this] { guarded([this] { Button2Click(); }); });
    connect(Memo_Send, &QPlainTextEdit::textChanged, this, &TForm_Comm::Memo_SendChange);
    connect(Memo_Rx, &QPlainTextEdit::textChanged, this, &TForm_Comm::Memo_RxChange);

    deviceLink().setObserver(&m_observer);
}

TForm_Comm::~TForm_Comm()
{
    deviceLink().setObserver(nullptr);
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
    deviceLink().Button2Click();
}
void TForm_Comm::Timer1Timer()
{
    deviceLink().Timer1Timer();
}
void TForm_Comm::Memo_SendChange()
{
    limitLines(Memo_Send, kTrafficPaneLineLimit);
}
void TForm_Comm::Memo_RxChange()
{
    limitLines(Memo_Rx, kTrafficPaneLineLimit);
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
    return deviceLink().Connect2Lan(IP);
}
void TForm_Comm::Mydisconnect()
{
    deviceLink().Mydisconnect();
}
void TForm_Comm::OpenPort2(const QString& strPort)
{
    deviceLink().OpenPort2(strPort);
}
void TForm_Comm::BtnShowComClick()
{
    deviceLink().BtnShowComClick();
}

void TForm_Comm::BtnGetAllClick()
{
    guarded([] { runAllDevicesDownload(); });
}
