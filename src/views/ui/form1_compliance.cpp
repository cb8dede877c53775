// The main window's compliance page: the figures of the month on show, its excursions
// shaded on the chart, and a click on an excursion bringing the table to its first day.
#include <QTabWidget>
#include <QTableWidget>

#include "app/calendar.h"
#include "app/programstate.h"
#include "app/records.h"
#include "platform/guardedconnect.h"
#include "views/ui/compliancepanel.h"
#include "views/ui/form1.h"

void TForm1::buildCompliancePage()
{
    TabCompliance = new CompliancePanel;
    TabCompliance->setObjectName(QStringLiteral("TabCompliance"));
    PageControl1->addTab(TabCompliance, tr("Compliance"));
    connectGuarded(TabCompliance, &CompliancePanel::excursionChosen, this, &TForm1::showTableDay);
    connectGuarded(TabCompliance, &CompliancePanel::minExcursionChanged, this, [this] { redraw(); });
}

namespace {

// The two-digit year of the month on show, as its day lines name it; 0 when unknown.
int shownYearOf(const Chart_rec& chart, bool* known)
{
    return chart.Curr_Year.trimmed().toInt(known);
}

}  // namespace

MonthLimits TForm1::shownMonthLimits(int month) const
{
    const ReportYear& year = m_year ? *m_year : emptyReportYear();
    if (month < 1 || month > 12 || year.limitsHistory.empty()) return headerMonthLimits(year.header);
    bool known = false;
    const int yy = shownYearOf(CurChart, &known);
    return monthLimitsOf(year, known ? yy : 0, month, programNow(), m_state.Prog.calendar);
}

void TForm1::computeCompliance(int month, const MonthLimits& limits)
{
    m_compliance = MonthCompliance();
    if (m_year && month >= 1 && month <= 12) {
        // The year of the month on show, as its day lines name it: the running month
        // expects only the hours up to now.
        bool known = false;
        const int yy = shownYearOf(CurChart, &known);
        const QDateTime now = programNow();
        const ShamsiCalendar calendar = m_state.Prog.calendar;
        ComplianceOptions options;
        options.minExcursionHours = TabCompliance->minExcursionHours();
        options.expectedHours = known ? expectedHoursAt(yy, month, now, calendar) : -1;
        options.limits = limits;
        m_compliance =
            computeMonthCompliance(*m_year, month, complianceMonthDays(known ? yy : 0, month, now, calendar), options);
    }
    m_view.chart.bands = excursionBands(m_compliance);
}

void TForm1::showTableDay(int day)
{
    PageControl1->setCurrentWidget(TabTable);
    if (day < 1 || day >= SG_Table->rowCount()) return;
    SG_Table->setCurrentCell(day, 0);
    if (QTableWidgetItem* item = SG_Table->item(day, 0)) SG_Table->scrollToItem(item, QAbstractItemView::PositionAtTop);
}
