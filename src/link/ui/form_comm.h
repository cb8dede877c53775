// The communication window: the hub of device traffic. Its exchange, transports and
// decoders live in the link core (DeviceLink); the window shows what they report and
// forwards its handlers to them. Its own page is the traffic page; the period start
// box, the device list, the settings page and its inner pages are made by the
// application controller and handed in (setPages).
#pragma once

#include <functional>

#include <QString>
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
// operator's answers, the status bar, the caption and the messages (message boxes).
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
    void message(const QString& text) override;

private:
    TForm_Comm* m_comm;
};

// The pages the application controller makes for the window, as the window uses them.
struct CommPages
{
    QWidget* periodStart = nullptr;             // "تنظیم اول دوره ", below the traffic panes
    QWidget* deviceNames = nullptr;             // the page "نام  دستگاهها "
    QWidget* settings = nullptr;                // the settings page, with its caption
    QString settingsCaption;                    //
    QTabWidget* settingsPages = nullptr;        // its inner pages
    QWidget* deviceSettings = nullptr;          // "تنظیمات دستگاه" (device settings)
    QWidget* phoneSettings = nullptr;           // "تنظیمات  تلفنی" (phone settings)
    QWidget* replies = nullptr;                 // "پاسخ ها", one of the inner pages
    QPlainTextEdit* replyPane = nullptr;        // Memo_Json
    QPushButton* searchButton = nullptr;        // Button2, the device search
    QPlainTextEdit* operatorAnswers = nullptr;  // Memo1
    std::function<void()> shown;                // the window was shown: the device list refilled
    std::function<void(bool)> expertAccess;     // the erase button enabled or not
};

class TForm_Comm : public QWidget
{
    Q_OBJECT
    // The window's device search and USSD answer poll, over the program's link.
    DeviceSearch m_search;
    UssdPoll m_ussd;

public:
    TForm_Comm(ProgramState& state, DeviceLink& link, QWidget* parent = nullptr);
    ~TForm_Comm() override;

    // Lays out the pages the controller made (once, right after the window is made)
    // and shows the device list page.
    void setPages(CommPages pages);

    // The serial port control (owned by the link core).
    SerialPortControl& MSComm1;
    // The timer of the window's USSD answer poll (ussdPoll() counts its ticks).
    QTimer& Timer1;
    // The window's device search and USSD answer poll.
    DeviceSearch& deviceSearch() { return m_search; }
    UssdPoll& ussdPoll() { return m_ussd; }

    QTabWidget* PageControl1;    // the window's pages
    TrafficPage* TabSendResive;  // traffic and the period start
    QPlainTextEdit* Memo_Send;
    QPlainTextEdit* Memo_Rx;
    QStatusBar* StatusBar1;
    // The pages and controls the controller made and handed in (setPages), named as the
    // window knows them.
    DeviceNamesPage* TabSheet1 = nullptr;      // the device list grid
    TSettingsPage* TabSheet_Net = nullptr;     // the device's settings: the parameter sheet
    DeviceChooser* PanelChooser = nullptr;     // the device chooser Cb_Com_net
    QTabWidget* PageControl2 = nullptr;        // the settings pages
    QWidget* TabSheet3 = nullptr;              // "تنظیمات دستگاه" (device settings)
    QWidget* TabSheet7 = nullptr;              // "تنظیمات  تلفنی" (phone settings)
    RepliesPage* TabSheet8 = nullptr;          // "پاسخ ها" (replies)
    PeriodStartBox* GroupBoxPeriod = nullptr;  // "تنظیم اول دوره "
    DeviceCommandsPanel* GroupBoxDeviceCommands = nullptr;
    OperatorPanel* PanelOperator = nullptr;
    QPlainTextEdit* Memo_Json = nullptr;
    QPlainTextEdit* Memo1 = nullptr;  // the operator's answers
    QPushButton* Button2 = nullptr;   // device search

    // The expert access of the settings sheet: while granted, the erase button works.
    void setExpertAccess(bool granted);

    // What the link reports for this window.
    LinkObserver& linkObserver() { return m_observer; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend class CommWindowObserver;

    ProgramState& m_state;
    DeviceLink& m_link;
    CommWindowObserver m_observer;
    CommPages m_pages;
};
