// The download dialog: one device of the device list, a span of months of one year,
// and a file name after which the report files are named; the main window then shows
// the downloaded file.
#pragma once

#include <QDialog>

#include "config/devicelist.h"

class DeviceLink;
class QComboBox;
class QPushButton;
class WindowCommands;
struct ProgramState;

class TForm_read : public QDialog
{
    Q_OBJECT
public:
    // commands: the main window shows the downloaded file; the device commands'
    // expert access is locked by a download.
    TForm_read(ProgramState& state, DeviceLink& link, WindowCommands& commands, QWidget* parent = nullptr);

    QComboBox* ComboBox1;  // the device
    QComboBox* CB_Year;
    QComboBox* From_ComboBox;
    QComboBox* To_ComboBox;
    QPushButton* Btn_read;

    // Lists the registry's devices as they are (unsaved edits of the communication
    // window's device list are not the registry's).
    void FormShow();
    void Btn_readClick();

    // The month names of the lists, "(1) فروردین" .. "(12) اسفند".
    static const QStringList& monthNames();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ProgramState& m_state;
    DeviceLink& m_link;
    WindowCommands& m_commands;
    QList<DeviceRow> m_rows;  // the devices listed, in ComboBox1's order
};
