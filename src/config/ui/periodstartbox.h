// The box "set the start of the period" of the communication window's first page:
// day, month and year, and the button that gives every named channel that start.
#pragma once

#include <QGroupBox>

class QComboBox;
class QPushButton;
struct ProgramState;

class PeriodStartBox : public QGroupBox
{
    Q_OBJECT
public:
    // state: the registry and root folder whose ledger is rewritten, the journal of the
    // change, and the root folder opened after it.
    explicit PeriodStartBox(ProgramState& state, QWidget* parent = nullptr);

    QComboBox* CB_Day;
    QComboBox* CB_Mon;
    QComboBox* CB_Year;
    QPushButton* Button3;

    void Button3Click();

private:
    ProgramState& m_state;
};
