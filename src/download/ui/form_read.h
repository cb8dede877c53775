// The download dialog: one device of the device list, a span of months of one year,
// and a file name after which the report files are named; the main window then shows
// the downloaded file.
#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

class TForm_read : public QDialog
{
    Q_OBJECT
public:
    explicit TForm_read(QWidget* parent = nullptr);

    QComboBox* ComboBox1;  // the device
    QComboBox* CB_Year;
    QComboBox* From_ComboBox;
    QComboBox* To_ComboBox;
    QPushButton* Btn_read;

    void FormShow();
    void Btn_readClick();
    // Before the dialog is opened: its show step refills the communication window's
    // device list from the registry, so unsaved edits of that list are saved or
    // dropped first, as the user answers. False when the user goes back to the list
    // (or its save was refused): the dialog is then not to be opened.
    bool settleUnsavedDeviceList();

    // The month names of the lists, "(1) فروردین" .. "(12) اسفند".
    static const QStringList& monthNames();

protected:
    void showEvent(QShowEvent* event) override;
};
