// The communication window: the hub of device traffic. Its exchange, transports and
// decoders live in the link core (DeviceLink); the window shows what they report and
// forwards its handlers to them.
#pragma once

#include <QWidget>

#include "app/records.h"
#include "link/devicesearch.h"
#include "link/linkobserver.h"
#include "link/ui/trafficpage.h"
#include "link/ussdpoll.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;
class SerialPortControl;
class TForm_Comm;
class DeviceNamesPage;
class PeriodStartBox;
class RepliesPage;
class DeviceCommandsPanel;
class OperatorPanel;
class DeviceChooser;
class TSettingsPage;

// Shows the link's reports in the communication and progress windows.
class WindowsLinkObserver : public LinkObserver
{
public:
    explicit WindowsLinkObserver(TForm_Comm* comm) : m_comm(comm) {}
    void sendLine(const QString& frame) override;
    void rxLine(const QString& reply) override;
    void jsonLine(const QString& line) override;
    void clearJson() override;
    void showReplies() override;
    void ussdLine(const QString& answer) override;
    void statusText(const QString& text) override;
    void startRun() override;
    void captionText(const QString& text) override;
    void busyCursor(bool on) override;
    void waitLabel(WaitLabel which, const QString& text) override;
    void waitBarRange(WaitBar which, int min, int max) override;
    void waitBarPosition(WaitBar which, int pos) override;
    void reportLine(const QString& line) override;
    void showWait(bool shown) override;

private:
    TForm_Comm* m_comm;
};

class TForm_Comm : public QWidget
{
    Q_OBJECT
    // The window's device search and USSD answer poll, over the program's link.
    DeviceSearch m_search;
    UssdPoll m_ussd;

public:
    explicit TForm_Comm(QWidget* parent = nullptr);
    ~TForm_Comm() override;

    // The serial port control (owned by the link core).
    SerialPortControl& MSComm1;
    // The timer of the window's USSD answer poll; its counter is UssdPollCount().
    QTimer& Timer1;
    DeviceSearch& deviceSearch() { return m_search; }

    QTabWidget* PageControl1;        // the window's pages
    TrafficPage* TabSendResive;      // traffic and the period start
    DeviceNamesPage* TabSheet1;      // the device list grid
    TSettingsPage* TabSheet_Net;     // the device's settings: the parameter sheet
    DeviceChooser* PanelChooser;     // the device chooser Cb_Com_net
    QTabWidget* PageControl2;        // the settings pages
    QWidget* TabSheet3;              // "تنظیمات دستگاه" (device settings)
    QWidget* TabSheet7;              // "تنظیمات  تلفنی" (phone settings)
    RepliesPage* TabSheet8;          // "پاسخ ها" (replies)
    PeriodStartBox* GroupBoxPeriod;  // "تنظیم اول دوره "
    DeviceCommandsPanel* GroupBoxDeviceCommands;
    OperatorPanel* PanelOperator;
    QPlainTextEdit* Memo_Send;
    QPlainTextEdit* Memo_Rx;
    QPlainTextEdit* Memo_Json;
    QPlainTextEdit* Memo1;  // the operator's answers
    QPushButton* Button2;   // device search
    QStatusBar* StatusBar1;

    // The expert access of the settings sheet: while granted, the erase button works.
    void setExpertAccess(bool granted);

    int UssdPollCount() const;
    bool LinkPending() const;

    QString Write2Dev(const QString& str1, Device_Rec& Device1);
    // The all-devices download run.
    void BtnGetAllClick();
    void Button2Click();
    void Timer1Timer();
    void Memo_SendChange();
    void Memo_RxChange();

    int FindNumber(const QString& s1);
    bool JSon2DateTime(const QString& s1, _SYSTEMTIME& t1);
    bool JSon2Online(const QString& sOnline, QString& st1, QString& st2, QString& st3, QString& st4, QString& Alarm2,
                     QString& Memerr, QString& ID2);
    bool Connect2Lan(const QString& IP);
    void Mydisconnect();
    void OpenPort2(const QString& strPort);
    void BtnShowComClick();
    // The full read of the chosen device's parameters into the settings page.
    void BtnReadAllDataClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    WindowsLinkObserver m_observer;
};
