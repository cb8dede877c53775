// The progress window: port, status and counters during long runs, two progress
// bars, the report list and the Cancel button that raises the stop request.
#pragma once

#include <QDialog>

#include "link/linkobserver.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QGroupBox;
struct ProgramState;

// It shows the link's progress reports itself (labels, bars, report list).
class TForm_wait2 : public QDialog, public LinkObserver
{
    Q_OBJECT
public:
    // mainWindow: the window it stands in front of when no other is active.
    TForm_wait2(ProgramState& state, QWidget* mainWindow, QWidget* parent = nullptr);

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

    void waitLabel(WaitLabel which, const QString& text) override;
    void waitBarRange(WaitBar which, int min, int max) override;
    void waitBarPosition(WaitBar which, int pos) override;
    void reportLine(const QString& line) override;
    void startRun() override;
    void showWait(bool shown) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    ProgramState& m_state;
    QWidget* m_mainWindow;
};
