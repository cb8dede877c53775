// The month view's compliance page: the figures of the month on screen (hours
// expected and recorded, completeness, minimum, maximum and mean with their hour,
// mean kinetic temperature, limits and hours out of them), the shortest excursion
// listed, and the excursions; a click on an excursion asks for its first day.
#pragma once

#include <QWidget>

#include "views/compliance.h"

class QFormLayout;
class QLabel;
class QSpinBox;
class QTableWidget;

class CompliancePanel : public QWidget
{
    Q_OBJECT
public:
    explicit CompliancePanel(QWidget* parent = nullptr);

    // Shows the figures of month 1..12 (none: an empty page).
    void showFigures(const MonthCompliance& figures);
    // The shortest excursion listed, in hours (the spin box "کوتاه‌ترین انحراف").
    int minExcursionHours() const;

    QLabel* figureLabel(const QString& objectName) const;
    QTableWidget* excursionList() const { return m_list; }
    QSpinBox* minExcursionBox() const { return m_minExcursion; }

signals:
    // An excursion of the list was chosen: its first day 1..31.
    void excursionChosen(int day);
    // The shortest excursion listed was changed.
    void minExcursionChanged(int hours);

private:
    QLabel* addFigure(const char* objectName, const QString& caption);
    // The limits of the month as the figure shows them.
    static QString limitsText(const MonthCompliance& f);

    QFormLayout* m_form = nullptr;
    QLabel* m_heading = nullptr;
    QSpinBox* m_minExcursion = nullptr;
    QTableWidget* m_list = nullptr;
    QList<int> m_firstDays;
};
