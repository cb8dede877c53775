// The progress window: port, status and counters during long runs, two progress
// bars, the report list and the Cancel button that raises StopFlag.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QGroupBox;

class TForm_wait2 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm_wait2(QWidget* parent = nullptr);

    QProgressBar* ProgressBar1;    // days of one sensor
    QProgressBar* ProgressBarAll;  // sensors of a run
    QPlainTextEdit* Memo_report;
    QGroupBox* GroupBoxActivity;
    QLabel* Label_Cnt;
    QLabel* Label_Status;
    QLabel* Label_port;
    QLabel* Label_Header;
    QPushButton* BtnOk;  // "Cancel"

    // Shows the window for a run started from owner's window (the active window when
    // owner is null, else the main window), kept in front of that window: the window
    // system treats it as that window's child, so a click there does not hide it.
    void showForRun(QWidget* owner = nullptr);

    void FormShow();
    void BtnOkClick();
    void Memo_reportChange();

protected:
    void showEvent(QShowEvent* e) override;
};
