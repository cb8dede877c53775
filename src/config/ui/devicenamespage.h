// The communication window's device names page: the registry as an editable grid with
// add, delete and save, and the port list button.
#pragma once

#include <QWidget>

#include "config/devicelist.h"

class DeviceLink;
class QPushButton;
class QTableWidget;
class WindowCommands;

class DeviceNamesPage : public QWidget
{
    Q_OBJECT
public:
    // state: the registry the page lists and saves over, and the journal of its saves; link: the serial ports the
    // page lists and closes; commands: the registry's readers are told of a save.
    DeviceNamesPage(ProgramState& state, DeviceLink& link, WindowCommands& commands, QWidget* parent = nullptr);

    QTableWidget* StringGrid1;
    QPushButton* BitBtnAddDev;
    QPushButton* BtnDeleteDevice;
    QPushButton* BtnSaveSoft;
    QPushButton* BtnShowCom;

    // The row picked for deletion (a grid row, 1-based), 0 when the selected cell is
    // not an ID cell.
    int SelRow = 0;

    // Refills the grid from the registry (the window's show step).
    void FormShow();
    void StringGrid1SelectCell(int ACol, int ARow);
    void BtnAddNewDeviceClick();
    void BtnDeleteDeviceClick();
    void BtnSaveSoftClick();
    int FindDuplicateID() const;

    // Whether the grid differs from the registry it was last filled from or saved to:
    // edited cells, added or emptied rows, rows the device chooser wrote.
    bool hasUnsavedEdits() const;

    // The grid's data rows (grid rows 1..), and writing one row (1-based) or a new last row.
    QList<DeviceRow> rows() const;
    void setRow(int gridRow, const DeviceRow& row);
    void appendRow(const DeviceRow& row);

private:
    void setRows(const QList<DeviceRow>& rows);

    ProgramState& m_state;
    DeviceLink& m_link;
    WindowCommands& m_commands;
    QList<DeviceRow> m_registryRows;  // the rows as last filled or saved
};
