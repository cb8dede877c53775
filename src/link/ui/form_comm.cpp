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
#include "download/download.h"
#include "link/devicelink.h"
#include "link/portfinder.h"
#include "link/replies.h"
#include "link/ui/askedlink.h"
#include "link/ui/devicechooser.h"
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

// ---------------------------------------------------------------- observer

void CommWindowObserver::message(const QString& text)
{
    dialogs().message(text);
}

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
    const CommPages& pages = m_comm->m_pages;
    m_comm->PageControl1->setCurrentWidget(pages.settings);
    pages.settingsPages->setVisible(true);
    pages.settingsPages->setCurrentWidget(pages.replies);
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

TForm_Comm::TForm_Comm(ProgramState& state, DeviceLink& link, QWidget* parent)
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
    TabSendResive = new TrafficPage(PageControl1);
    Memo_Send = TabSendResive->Memo_Send;
    Memo_Rx = TabSendResive->Memo_Rx;
    PageControl1->addTab(TabSendResive, QStringLiteral("ارسال و دریافت "));

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->showMessage(QStringLiteral("Ready"));

    auto* box = new QVBoxLayout(this);
    box->addWidget(PageControl1, 1);
    box->addWidget(StatusBar1);
    resize(860, 560);
}

void TForm_Comm::setPages(CommPages pages)
{
    m_pages = std::move(pages);
    TabSendResive->setPeriodBox(m_pages.periodStart);
    PageControl2 = m_pages.settingsPages;
    TabSheet3 = m_pages.deviceSettings;
    TabSheet7 = m_pages.phoneSettings;
    Memo_Json = m_pages.replyPane;
    Button2 = m_pages.searchButton;
    Memo1 = m_pages.operatorAnswers;
    PageControl1->addTab(m_pages.deviceNames, QStringLiteral("نام  دستگاهها "));
    PageControl1->addTab(m_pages.settings, m_pages.settingsCaption);
    PageControl1->setCurrentWidget(m_pages.deviceNames);
}

TForm_Comm::~TForm_Comm() = default;

void TForm_Comm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous() && m_pages.shown) guarded([this] { m_pages.shown(); });
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
    if (m_pages.expertAccess) m_pages.expertAccess(granted);
}
