// The box "set the start of the period" of the communication window's first page:
// day, month and year, and the button that gives every named channel that start.
#pragma once

#include <QGroupBox>

class QComboBox;
class QPushButton;

class PeriodStartBox : public QGroupBox
{
    Q_OBJECT
public:
    explicit PeriodStartBox(QWidget* parent = nullptr);

    QComboBox* CB_Day;
    QComboBox* CB_Mon;
    QComboBox* CB_Year;
    QPushButton* Button3;

    void Button3Click();
};
