// The device settings page of the communication window: the device chooser's row with
// the send button, and the inner pages with one control per parameter, built from the
// schema table. The page only shows the parameter sheet model (config/paramsheet.h)
// and forwards its handlers to the sheet's conversations (config/paramsession.h).
#pragma once

#include <QColor>
#include <QHash>
#include <QWidget>

#include "config/paramsession.h"
#include "config/paramsheet.h"

class DeviceLink;
class QComboBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QStyle;
class QTabWidget;

struct ProgramState;

class TSettingsPage : public QWidget
{
    Q_OBJECT
public:
    // state: the chosen device, the root folder and the expert access; link: the
    // exchanges with the chosen device.
    TSettingsPage(ProgramState& state, DeviceLink& link, QWidget* parent = nullptr);

    // The tab caption of the page in the communication window.
    static QString caption();
    // The background that marks a changed control (ChangedColor).
    static QColor changedColor() { return QColor(255, 100, 100); }

    // The row above the inner pages, before the send button: room for the device
    // chooser (with its label).
    QHBoxLayout* chooserRow() const { return m_chooserRow; }
    // Puts a page of the window (the replies page) among the inner pages, after the
    // phone settings.
    void insertRepliesPage(QWidget* page, const QString& caption);
    // Puts a panel of the window (device commands, the operator's panel) below the
    // parameter controls of one of the inner pages (TabSheet3, TabSheet7, ...).
    void addPanel(QWidget* innerPage, QWidget* panel);

    QTabWidget* PageControl2;  // the inner pages
    QWidget* TabSheet3;        // device settings
    QWidget* TabSheet4;        // sensor settings
    QWidget* TabSheet6;        // network settings
    QWidget* TabSheet7;        // phone settings
    QWidget* status;           // statuses
    QWidget* TabSheet5;        // state of the device's variables (empty)
    QPushButton* BtnSendSettingJson;
    QPushButton* Button4;  // "get setting": the status read
    QLineEdit* ConfigPass;
    QLineEdit* LE_BaseParam_TimeDate;

    // The model and the shown controls.
    ParameterSheet& sheet() { return m_sheet; }
    QWidget* control(const QString& name) const { return m_controls.value(name); }
    // Shows the model's values, marks, states and the send button.
    void refresh();
    // Another device chosen: not loaded, the bound controls emptied, the send button hidden.
    void clearSheet();

    // ---- handlers ----
    void BtnReadAllDataClick();
    void Button4Click();
    void BtnSendSettingJsonClick();
    void ConfigPassChange();
    void LE_LAN_SIPChange(const QString& controlName);
    bool CheckValidity();
    QString ParseJson(const QString& text1, const QString& Cmd);
    QString ParseJsonFullStat(const QString& text1, const QString& Cmd);

private:
    void buildTabs();
    QWidget* makeControl(const ParamRow& row);
    void showCell(const ParamCell& c);
    QString bindShown(const QString& text1, const QString& top, const QString& Cmd);
    void maskWithTimes(QLineEdit* edit);
    // The exchange with the chosen device.
    ParamExchange chosenDevice();

    ProgramState& m_state;
    DeviceLink& m_link;
    ParameterSheet m_sheet;
    QHash<QString, QWidget*> m_controls;
    QHBoxLayout* m_chooserRow;
    QStyle* m_maskStyle = nullptr;
    bool m_showing = false;  // the page writes the model's values into the controls
};
