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
class DeviceLink;
class WindowCommands;
struct ProgramState;

// Shows the link's reports in the communication window: traffic, replies, the
// operator's answers, the status bar and the caption.
class CommWindowObserver : public LinkObserver
{
public:
    explicit CommWindowObserver(TForm_Comm* comm) : m_comm(comm) {}
    void sendLine(const QString& frame) override;
    void rxLine(const QString& reply) override;
    void jsonLine(const QString& line) override;
    void clearJson() override;
    void showReplies() override;
    void ussdLine(const QString& answer) override;
    void statusText(const QString& text) override;
    void captionText(const QString& text) override;
    void busyCursor(bool on) override;

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
    TForm_Comm(ProgramState& state, DeviceLink& link, WindowCommands& commands, QWidget* parent = nullptr);
    ~TForm_Comm() override;

    // The serial port control (owned by the link core).
    SerialPortControl& MSComm1;
    // The timer of the window's USSD answer poll (ussdPoll() counts its ticks).
    QTimer& Timer1;
    // The window's device search and USSD answer poll.
    DeviceSearch& deviceSearch() { return m_search; }
    UssdPoll& ussdPoll() { return m_ussd; }

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

    // What the link reports for this window.
    LinkObserver& linkObserver() { return m_observer; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    ProgramState& m_state;
    DeviceLink& m_link;
    CommWindowObserver m_observer;
};
