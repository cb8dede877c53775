// The one-shot device commands of the communication window's settings pages: the
// clock, alarm and erase buttons of the device settings page, the operator codes of
// the phone page, and the replies page with the typed commands. Every command goes
// to the chosen device (SelDevice) through the exchange, and its reply to the reply
// pane Memo_Json.
#pragma once

#include <QGroupBox>
#include <QWidget>

#include "config/maintenance.h"

class DeviceSearch;
class UssdPoll;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class DeviceLink;
struct Device_Rec;
struct ProgramState;

// The replies page "پاسخ ها": the reply pane, the typed-command list and the device search.
class RepliesPage : public QWidget
{
    Q_OBJECT
public:
    RepliesPage(ProgramState& state, DeviceLink& link, DeviceSearch& search, QWidget* parent = nullptr);

    QPlainTextEdit* Memo_Json;
    QPushButton* Button12;  // clear
    QComboBox* CBManualSend;
    QPushButton* BtnSendJson;
    QPushButton* Button2;  // device search

    void BtnSendJsonClick();
    void Button12Click();
    // Adds a reply and the separator line under it.
    void addReply(const QString& reply);

private:
    ProgramState& m_state;
    DeviceLink& m_link;
};

// Clock, alarm and erase: the device settings page's command box.
class DeviceCommandsPanel : public QGroupBox
{
    Q_OBJECT
public:
    DeviceCommandsPanel(ProgramState& state, DeviceLink& link, RepliesPage* replies, QWidget* parent = nullptr);

    QLineEdit* LE_BaseParam_TimeDate;  // the computer's clock as last sent
    // Shows the clock in field (the settings page's own) instead of the panel's.
    void useClockField(QLineEdit* field);
    QPushButton* Button10;         // send time and date
    QPushButton* BitBtn1;          // stop the alarm
    QPushButton* btnClearAllFile;  // erase the device's logs

    void Button10Click();
    void BitBtn1Click();
    void btnClearAllFileClick();

    // The expert access: the erase button works only while it is granted. Locked at
    // start; the settings sheet grants it, and choosing another device locks it again.
    void setExpertAccess(bool granted);
    bool expertAccess() const { return m_expert; }

private:
    QString sendToChosenDevice(const QString& command);
    maintenance::CommandExchange chosenDeviceExchange();
    // The chosen device as the registry knows it (its name), for the erase question.
    Device_Rec chosenDevice() const;

    ProgramState& m_state;
    DeviceLink& m_link;
    RepliesPage* m_replies;
    QLabel* m_clockLabel = nullptr;
    bool m_expert = false;
};

// USSD and top-up codes to the operator, and the operator's answers.
class OperatorPanel : public QWidget
{
    Q_OBJECT
public:
    OperatorPanel(ProgramState& state, DeviceLink& link, RepliesPage* replies, UssdPoll& poll,
                  QWidget* parent = nullptr);

    QLineEdit* EditCode;
    QPushButton* BtnEtebar;  // top up
    QLineEdit* EditSentToOperator;
    QPushButton* BtnSentToOperator;  // send USSD
    QPushButton* Button1;            // read again
    QPlainTextEdit* Memo1;           // the operator's answers

    void BtnSentToOperatorClick();
    void BtnEtebarClick();
    void Button1Click();

private:
    ProgramState& m_state;
    DeviceLink& m_link;
    RepliesPage* m_replies;
    UssdPoll& m_poll;
};
