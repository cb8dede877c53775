#include "views/ui/reportpdf.h"

#include <functional>
#include <memory>

#include <QBuffer>
#include <QFileInfo>
#include <QPdfWriter>
#include <qcustomplot.h>

#include "app/calendar.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "views/month.h"
#include "views/ui/monthview.h"

namespace {

// Page geometry in device pixels of a landscape A4 page at 96 dots per inch.
constexpr int kDpi = 96;
constexpr int kMargin = 40;
constexpr int kRowHeight = 20;
constexpr int kExcursionRowsOnChartPage = 8;

const QColor kRedText(160, 0, 0);
const QColor kRedFill(255, 215, 215);

QFont pageFont(int points, bool bold = false)
{
    QFont f(QStringLiteral("Tahoma"), points);
    f.setBold(bold);
    return f;
}

QString madeText(const QDateTime& made, ShamsiCalendar calendar)
{
    const _SYSTEMTIME s = clockOf(made, calendar);
    return QStringLiteral("Made %1/%2/%3 %4 (%5)")
        .arg(s.wYear)
        .arg(s.wMonth)
        .arg(s.wDay)
        .arg(made.toString(QStringLiteral("HH:mm")), made.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

QString channelText(const ChannelReport& ch)
{
    const ReportChannel& c = ch.channel;
    return QStringLiteral("%1:%2  %3 / %4").arg(c.deviceId).arg(c.channel).arg(c.deviceName, c.sensorName);
}

QString monthText(const ReportMonth& m)
{
    return QStringLiteral("%1/%2").arg(m.yy).arg(m.month);
}

QString optional(const std::optional<double>& v)
{
    return v ? reportNumber(*v) : QStringLiteral("-");
}

bool marked(const MonthCompliance& f)
{
    return f.hoursBelow + f.hoursAbove > 0 ||
           (f.completenessPercent && *f.completenessPercent < kLowCompletenessPercent);
}

// Columns of the summary and of the excursion lists: title and width in pixels.
struct Column
{
    const char* title;
    int width;
};
const Column kSummaryColumns[] = {{"Channel", 330},   {"Month", 55},  {"Complete %", 85}, {"Min", 65},
                                  {"Max", 65},        {"Mean", 65},   {"MKT", 65},        {"Hours out", 85},
                                  {"Excursions", 85}, {"Limits", 120}};
const Column kExcursionColumns[] = {
    {"Side", 70}, {"First hour", 130}, {"Last hour", 130}, {"Hours", 70}, {"Extreme", 90}};

template <std::size_t N>
void drawRow(QPainter& p, int y, const Column (&columns)[N], const QStringList& cells, bool heading, bool red)
{
    int x = kMargin;
    int width = 0;
    for (const Column& c : columns) width += c.width;
    if (heading) p.fillRect(QRect(kMargin, y, width, kRowHeight), QColor(225, 225, 225));
    if (red) p.fillRect(QRect(kMargin, y, width, kRowHeight), kRedFill);
    p.setFont(pageFont(9, heading));
    p.setPen(red ? kRedText : Qt::black);
    for (std::size_t i = 0; i < N; ++i) {
        const QString text = heading ? QLatin1String(columns[i].title) : cells.value(int(i));
        p.drawText(QRect(x + 4, y, columns[i].width - 8, kRowHeight), Qt::AlignVCenter | Qt::AlignLeft, text);
        x += columns[i].width;
    }
    p.setPen(QColor(160, 160, 160));
    p.drawLine(kMargin, y + kRowHeight, kMargin + width, y + kRowHeight);
}

// The month chart of a channel as the month view draws it, hour by hour, with its
// excursions shaded.
void drawChart(QCPPainter& p, const QRect& target, const ChannelMonthReport& mr)
{
    auto year = std::make_unique<ReportYear>();
    try {
        loadReportYear(*year, readTextFile(mr.reportFile).lines);
    } catch (const std::exception&) {
        return;  // the figures were read a moment ago: a file gone since leaves the space empty
    }
    MonthViewOptions options;
    options.period = 1;
    options.yearText = QString::number(mr.at.yy);
    options.limits = mr.figures.limits;
    MonthView view = buildMonthView(*year, mr.at.month, options);
    const QString name = sensorNameOfFile(mr.reportFile);
    view.chart.title = chartTitle({}, name);  // the page carries the heading lines
    view.chart.valueAxisCaption = valueAxisCaption(year->header.devType, year->header.sensorType, name);
    view.chart.bands = excursionBands(mr.figures);
    QCustomPlot chart;
    chart.resize(target.size());
    renderMonthChart(&chart, view.chart);
    p.save();
    p.translate(target.topLeft());
    chart.toPainter(&p, target.width(), target.height());
    p.restore();
}

}  // namespace

QByteArray fleetReportPdf(const FleetReport& report)
{
    // The pages as drawing steps, so that each can say how many pages there are.
    using Page = std::function<void(QCPPainter&, int pageHeight)>;
    QList<Page> pages;
    const int pageWidth = 297 * kDpi * 10 / 254;
    const int pageHeight = 210 * kDpi * 10 / 254;
    const QString made = madeText(report.made, report.calendar);
    const int top = kMargin + int(report.headingLines.size() + 1) * 22 + 10;
    const int rowsPerPage = std::max(1, (pageHeight - top - kMargin - 60) / kRowHeight - 8);

    // The summary: a row per channel and month.
    struct SummaryRow
    {
        QStringList cells;
        bool red;
    };
    QList<SummaryRow> rows;
    bool limitsChanged = false;  // some month's limits changed within it
    for (const ChannelReport& ch : report.channels) {
        for (const ChannelMonthReport& mr : ch.months) {
            const MonthCompliance& f = mr.figures;
            if (!mr.unreadable.isEmpty()) {
                rows.append({{channelText(ch), monthText(mr.at), QStringLiteral("report file unreadable")}, true});
                continue;
            }
            rows.append({{channelText(ch), monthText(mr.at), optional(f.completenessPercent), optional(f.min),
                          optional(f.max), optional(f.mean), optional(f.mkt),
                          f.hasLimits ? QString::number(f.hoursBelow + f.hoursAbove) : QStringLiteral("-"),
                          f.hasLimits ? QString::number(f.excursions.size()) : QStringLiteral("-"),
                          f.hasLimits ? QStringLiteral("%1 .. %2%3")
                                            .arg(reportNumber(f.lowerLimit), reportNumber(f.upperLimit),
                                                 f.limits.changed() ? QStringLiteral(" *") : QString())
                                      : QStringLiteral("none readable")},
                         marked(f)});
            limitsChanged = limitsChanged || (f.hasLimits && f.limits.changed());
        }
    }
    for (qsizetype first = 0; first < rows.size() || first == 0; first += rowsPerPage) {
        const QList<SummaryRow> part = rows.mid(first, rowsPerPage);
        const bool last = first + rowsPerPage >= rows.size();
        pages << [part, top, first, last, limitsChanged](QCPPainter& p, int) {
            p.setFont(pageFont(12, true));
            p.setPen(Qt::black);
            p.drawText(QPoint(kMargin, top - 8),
                       first == 0 ? QStringLiteral("Compliance of the fleet's channels")
                                  : QStringLiteral("Compliance of the fleet's channels (continued)"));
            int y = top + 4;
            drawRow(p, y, kSummaryColumns, {}, true, false);
            for (const SummaryRow& r : part) {
                y += kRowHeight;
                drawRow(p, y, kSummaryColumns, r.cells, false, r.red);
            }
            if (last) {
                p.setFont(pageFont(10));
                p.setPen(Qt::black);
                p.drawText(QPoint(kMargin, y + 3 * kRowHeight),
                           QStringLiteral("Red: an hour out of limits, or under %1 % of the hours recorded.")
                               .arg(kLowCompletenessPercent));
                if (limitsChanged)
                    p.drawText(QPoint(kMargin, y + 4 * kRowHeight),
                               QStringLiteral("*: the limits changed within the month; those at its end are shown, "
                                              "each hour was judged against those in force on it."));
                p.drawText(QPoint(kMargin, y + 6 * kRowHeight),
                           QStringLiteral("Checked by: ______________________    Signature: ______________________    "
                                          "Date: ______________"));
            }
        };
        if (rows.isEmpty()) break;
    }

    // A page per channel and month with an excursion: its chart and its list.
    for (const ChannelReport& ch : report.channels) {
        for (const ChannelMonthReport& mr : ch.months) {
            const QList<Excursion>& all = mr.figures.excursions;
            if (all.isEmpty() || mr.reportFile.isEmpty()) continue;
            const int perPage = rowsPerPage;
            for (qsizetype first = 0; first < all.size(); first += first == 0 ? kExcursionRowsOnChartPage : perPage) {
                const qsizetype count = first == 0 ? kExcursionRowsOnChartPage : perPage;
                const QList<Excursion> part = all.mid(first, count);
                pages << [&ch, &mr, part, first, top](QCPPainter& p, int height) {
                    p.setFont(pageFont(12, true));
                    p.setPen(Qt::black);
                    p.drawText(QPoint(kMargin, top - 8),
                               QStringLiteral("%1   month %2%3")
                                   .arg(channelText(ch), monthText(mr.at),
                                        first == 0 ? QString() : QStringLiteral("   (excursions, continued)")));
                    int y = top + 4;
                    if (first == 0) {
                        const int listHeight = (kExcursionRowsOnChartPage + 1) * kRowHeight + 10;
                        const QRect chartRect(kMargin, y, pageWidth - 2 * kMargin,
                                              height - y - kMargin - 30 - listHeight);
                        drawChart(p, chartRect, mr);
                        y = chartRect.bottom() + 10;
                    }
                    drawRow(p, y, kExcursionColumns, {}, true, false);
                    for (const Excursion& e : part) {
                        y += kRowHeight;
                        auto at = [&](const MonthHour& h) {
                            return QStringLiteral("%1 %2:00")
                                .arg(shamsiDayText(mr.at, h.day))
                                .arg(h.hour, 2, 10, QLatin1Char('0'));
                        };
                        drawRow(p, y, kExcursionColumns,
                                {e.side == Excursion::High ? QStringLiteral("high") : QStringLiteral("low"),
                                 at(e.first), at(e.last), QString::number(e.hours), reportNumber(e.extreme)},
                                false, false);
                    }
                };
            }
        }
    }

    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(kDpi);
        writer.setTitle(QStringLiteral("Compliance report"));
        writer.setCreator(QStringLiteral("Termivo"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageOrientation(QPageLayout::Landscape);
        QCPPainter painter;
        if (!painter.begin(&writer)) throw FileError(QStringLiteral("The PDF document cannot be started."));
        painter.setMode(QCPPainter::pmVectorized);
        const int height = writer.height();
        for (qsizetype i = 0; i < pages.size(); ++i) {
            if (i > 0) writer.newPage();
            // Every page: the heading lines, the moment it was made, its number.
            painter.setPen(Qt::black);
            int y = kMargin;
            for (const QString& line : report.headingLines) {
                painter.setFont(pageFont(11, true));
                painter.drawText(QRect(kMargin, y, writer.width() - 2 * kMargin, 22), Qt::AlignHCenter, line);
                y += 22;
            }
            painter.setFont(pageFont(9));
            painter.drawText(QRect(kMargin, y, writer.width() - 2 * kMargin, 22), Qt::AlignRight, made);
            pages[i](painter, height);
            painter.setFont(pageFont(9));
            painter.setPen(Qt::black);
            painter.drawText(QRect(kMargin, height - kMargin - 10, writer.width() - 2 * kMargin, 20), Qt::AlignHCenter,
                             QStringLiteral("Page %1 of %2").arg(i + 1).arg(pages.size()));
        }
        painter.end();
    }
    return bytes;
}

int runReportMode(const QStringList& args, QTextStream& out, QTextStream& err)
{
    return runReport(args, out, err, fleetReportPdf);
}
