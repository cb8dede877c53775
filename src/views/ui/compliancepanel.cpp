#include "views/ui/compliancepanel.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/guardedconnect.h"
#include "views/compliancereport.h"
#include "views/month.h"

namespace {

QString number(const std::optional<double>& v)
{
    return v ? reportNumber(*v) : QStringLiteral("—");
}

QString dayHour(int month, const MonthHour& at)
{
    return QStringLiteral("%1/%2  %3:00").arg(month).arg(at.day).arg(at.hour, 2, 10, QLatin1Char('0'));
}

}  // namespace

CompliancePanel::CompliancePanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CompliancePanel"));
    setLayoutDirection(Qt::RightToLeft);
    auto* top = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("LB_ComplianceHeading"));
    QFont bold = m_heading->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    m_heading->setFont(bold);
    left->addWidget(m_heading);
    m_form = new QFormLayout;
    m_form->setLabelAlignment(Qt::AlignRight);
    left->addLayout(m_form);
    addFigure("LB_HoursExpected", tr("Hours expected"));
    addFigure("LB_HoursRecorded", tr("Hours recorded"));
    addFigure("LB_Completeness", tr("Completeness"));
    addFigure("LB_Minimum", tr("Minimum"));
    addFigure("LB_Maximum", tr("Maximum"));
    addFigure("LB_Mean", tr("Mean"));
    addFigure("LB_Mkt", tr("Mean kinetic temperature (MKT)"));
    addFigure("LB_Limits", tr("Limits"));
    addFigure("LB_HoursBelow", tr("Hours below the lower limit"));
    addFigure("LB_HoursAbove", tr("Hours above the upper limit"));
    m_minExcursion = new QSpinBox(this);
    m_minExcursion->setObjectName(QStringLiteral("SE_MinExcursion"));
    m_minExcursion->setRange(1, 31 * 24);
    m_minExcursion->setValue(1);
    m_minExcursion->setSuffix(tr(" h"));
    m_form->addRow(tr("Shortest excursion listed"), m_minExcursion);
    left->addStretch(1);
    top->addLayout(left, 2);

    auto* right = new QVBoxLayout;
    auto* listTitle = new QLabel(tr("Excursions (a click shows the first day in the table)"), this);
    listTitle->setFont(bold);
    right->addWidget(listTitle);
    m_list = new QTableWidget(0, 5, this);
    m_list->setObjectName(QStringLiteral("SG_Excursions"));
    m_list->setHorizontalHeaderLabels({tr("Side"), tr("First hour"), tr("Last hour"), tr("Hours"), tr("Extreme")});
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->verticalHeader()->setVisible(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    right->addWidget(m_list, 1);
    top->addLayout(right, 3);

    connectGuarded(m_list, &QTableWidget::cellClicked, this, [this](int row) {
        if (row >= 0 && row < m_firstDays.size()) emit excursionChosen(m_firstDays[row]);
    });
    connectGuarded(m_minExcursion, &QSpinBox::valueChanged, this,
                   [this](int hours) { emit minExcursionChanged(hours); });
    showFigures({});
}

QLabel* CompliancePanel::addFigure(const char* objectName, const QString& caption)
{
    auto* value = new QLabel(this);
    value->setObjectName(QLatin1String(objectName));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Beside its caption whether the text is a number or Persian words.
    value->setAlignment(Qt::AlignAbsolute | Qt::AlignRight | Qt::AlignVCenter);
    m_form->addRow(caption, value);
    return value;
}

QLabel* CompliancePanel::figureLabel(const QString& objectName) const
{
    return findChild<QLabel*>(objectName);
}

QString CompliancePanel::limitsText(const MonthCompliance& f)
{
    // The limits of the month's first hour, then those of each hour from which others
    // held, a line each.
    const QList<LimitStep>& steps = f.limits.steps;
    QStringList lines{tr("from %1 to %2").arg(reportNumber(steps.front().lower), reportNumber(steps.front().upper))};
    for (qsizetype i = 1; i < steps.size(); ++i)
        lines << tr("from %1: from %2 to %3")
                     .arg(dayHour(f.month, steps[i].from), reportNumber(steps[i].lower), reportNumber(steps[i].upper));
    return lines.join(QLatin1Char('\n'));
}

int CompliancePanel::minExcursionHours() const
{
    return m_minExcursion->value();
}

void CompliancePanel::showFigures(const MonthCompliance& f)
{
    const bool known = f.month >= 1 && f.month <= 12;
    m_heading->setText(known ? tr("Compliance of month %1").arg(monthNames()[f.month - 1].trimmed()) : QString());
    auto set = [this](const char* name, const QString& text) { figureLabel(QLatin1String(name))->setText(text); };
    set("LB_HoursExpected", known ? QString::number(f.hoursExpected) : QString());
    set("LB_HoursRecorded", known ? QString::number(f.hoursRecorded) : QString());
    set("LB_Completeness", f.completenessPercent ? number(f.completenessPercent) + QStringLiteral("%") : QString());
    set("LB_Minimum", f.min ? tr("%1 at %2").arg(number(f.min), dayHour(f.month, f.minAt)) : QString());
    set("LB_Maximum", f.max ? tr("%1 at %2").arg(number(f.max), dayHour(f.month, f.maxAt)) : QString());
    set("LB_Mean", f.mean ? number(f.mean) : QString());
    set("LB_Mkt", f.mkt ? number(f.mkt) : (known ? tr("none for this channel or month") : QString()));
    const QString noLimits = tr("the file's header gives no readable limits");
    set("LB_Limits", !known ? QString() : f.hasLimits ? limitsText(f) : noLimits);
    set("LB_HoursBelow", known && f.hasLimits ? QString::number(f.hoursBelow) : QString());
    set("LB_HoursAbove", known && f.hasLimits ? QString::number(f.hoursAbove) : QString());

    m_firstDays.clear();
    m_list->setRowCount(int(f.excursions.size()));
    for (int i = 0; i < f.excursions.size(); ++i) {
        const Excursion& e = f.excursions[i];
        const QStringList cells{e.side == Excursion::High ? tr("above") : tr("below"), dayHour(f.month, e.first),
                                dayHour(f.month, e.last), QString::number(e.hours), reportNumber(e.extreme)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setForeground(e.side == Excursion::High ? QColor(170, 0, 0) : QColor(0, 60, 170));
            m_list->setItem(i, c, item);
        }
        m_firstDays << e.first.day;
    }
    m_list->resizeColumnsToContents();
}
