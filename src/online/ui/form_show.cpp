#include "online/ui/form_show.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <qcustomplot.h>

#include "app/calendar.h"
#include "app/programstate.h"
#include "app/windowcommands.h"
#include "download/download.h"
#include "link/devicelink.h"
#include "online/ui/onlineview.h"
#include "platform/dialogs.h"
#include "platform/eventpump.h"
#include "platform/guardedconnect.h"
#include "reports/loader.h"

namespace {
const QString kDesignCaption = QStringLiteral("Norvak Halvik monitoring  www.norvakhalvik.example");
// Registry entries whose readings show in the legend.
constexpr int kLegendDevices = 30;
const QColor kAlarmRow(255, 200, 200);
const QColor kDisconnectedRow(255, 240, 190);
// The readings table while the poll is paused: every row grey, whatever its marks.
const QColor kPausedRow(225, 225, 225);
const QColor kPausedInk(120, 120, 120);
const QString kPausedNotice =
    QStringLiteral("پایش متوقف شده است: خواندن دستگاه ها تا باز شدن دوباره این پنجره انجام نمی شود");
const QChar kLtr(0x200E);  // left-to-right mark
}  // namespace

// The window's side of the poll: the windows' exchange, the link's LAN connection,
// the message log, the window's timer.
class TForm_Show::Host : public ProgramPollHost
{
public:
    explicit Host(TForm_Show* w) : ProgramPollHost(w->m_link, w->m_state.stop), m_w(w) {}
    // The windows' exchange; a device read side by side in the sweep is asked over its
    // own link, whose messages reach the window with the device's other lines.
    QString exchangeOn(DeviceLink& over, const QString& command, Device_Rec& device) override
    {
        if (&over == &link()) return m_w->m_commands.exchange(command, device);
        return over.Write2Dev(command, device);
    }
    // The poll runs unwatched: a device that cannot be reached is no message box but
    // a line of the message log (the cycle's, once per outage), and the sweep goes on.
    bool windowShowing() const override { return m_w->isVisible(); }
    void setTimerEnabled(bool on) override { m_w->setTimerEnabled(on); }
    void showMessageLogIfAny() override { m_w->m_commands.showMessageLogIfAny(); }
    void logLine(const QString& line) override { m_w->m_state.log().addLine(line); }
    void hourlyRefresh() override { m_w->m_commands.hourlyRefresh(); }
    void setCaption(const QString& caption) override { m_w->setWindowTitle(caption); }
    void readingChanged(int channel) override { m_w->showReading(channel); }

private:
    TForm_Show* m_w;
};

TForm_Show::TForm_Show(ProgramState& state, DeviceLink& link, WindowCommands& commands, QWidget* parent)
    : QDialog(parent), m_state(state), m_link(link), m_commands(commands)
{
    setObjectName(QStringLiteral("Form_Show"));
    setWindowTitle(kDesignCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setLayoutDirection(Qt::RightToLeft);
    QFont f(QStringLiteral("Tahoma"));
    setFont(f);
    resize(1024, 700);

    Chart2 = new QCustomPlot(this);
    Chart2->setObjectName(QStringLiteral("Chart2"));
    Chart2->setLayoutDirection(Qt::LeftToRight);
    Button1 = new QPushButton(QStringLiteral("Close"), Chart2);
    Button1->setObjectName(QStringLiteral("Button1"));
    Btn_print = new QPushButton(QStringLiteral("چاپ "), Chart2);
    Btn_print->setObjectName(QStringLiteral("Btn_print"));
    BTN_Back = new QPushButton(QStringLiteral("ماه قبل"), Chart2);
    BTN_Back->setObjectName(QStringLiteral("BTN_Back"));
    Btn_Next = new QPushButton(QStringLiteral("ماه بعد"), Chart2);
    Btn_Next->setObjectName(QStringLiteral("Btn_Next"));
    for (QPushButton* b : {Button1, Btn_print, BTN_Back, Btn_Next}) b->adjustSize();

    SG_Readings = new QTableWidget(this);
    SG_Readings->setObjectName(QStringLiteral("SG_Readings"));
    SG_Readings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SG_Readings->setSelectionMode(QAbstractItemView::NoSelection);
    SG_Readings->verticalHeader()->setVisible(false);
    SG_Readings->setColumnCount(int(readingTableHeadings().size()));
    SG_Readings->setHorizontalHeaderLabels(readingTableHeadings());
    SG_Readings->horizontalHeader()->setMinimumSectionSize(24);
    SG_Readings->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    SG_Readings->horizontalHeader()->setStretchLastSection(true);
    SG_Readings->verticalHeader()->setDefaultSectionSize(22);
    {
        QFont small = SG_Readings->font();
        small.setPixelSize(11);
        SG_Readings->setFont(small);
    }

    Label_Paused = new QLabel(kPausedNotice, this);
    Label_Paused->setObjectName(QStringLiteral("Label_Paused"));
    Label_Paused->setWordWrap(true);
    Label_Paused->setAlignment(Qt::AlignCenter);
    Label_Paused->setStyleSheet(
        QStringLiteral("QLabel { background: #fff3c4; color: #8a4b00; border: 1px solid #d9a400; padding: 4px; "
                       "font-weight: bold; }"));
    Label_Paused->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    m_host = std::make_unique<Host>(this);
    m_poll = std::make_unique<PollCycle>(*m_host, [] { return programNow(); });

    connectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connectGuarded(Btn_print, &QPushButton::clicked, this, [this] { Btn_printClick(); });
    connectGuarded(BTN_Back, &QPushButton::clicked, this, [this] { BTN_BackClick(); });
    connectGuarded(Btn_Next, &QPushButton::clicked, this, [this] { Btn_NextClick(); });
    connectGuarded(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connectGuarded(Chart2, &QCustomPlot::plottableClick, this,
                   [this](QCPAbstractPlottable* p) { Chart2ClickSeries(p); });
    FormCreate();
}

TForm_Show::~TForm_Show() = default;

void TForm_Show::FormCreate()
{
    layOut();
    // All 31 lines off, after a sample drawing that readies the first real one.
    prepareOnlineChart(Chart2);
}

void TForm_Show::ShowModalOnline()
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    // Modal like exec(), but a Close that comes while the window is being shown (its
    // show work processes events) ends the showing instead of leaving a hidden loop.
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    show();
    if (isVisible()) loop.exec();
}

void TForm_Show::setTimerEnabled(bool on)
{
    m_timerEnabled = on;
    if (on && !m_manualTicks)
        Timer1->start();
    else
        Timer1->stop();
}

void TForm_Show::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    guarded([&] { FormShow(); });
}

void TForm_Show::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    guarded([&] { FormResize(); });
}

void TForm_Show::closeEvent(QCloseEvent* event)
{
    FormClose();
    QDialog::closeEvent(event);
}

void TForm_Show::FormShow()
{
    const QDateTime now = programNow();
    ShowDate = clockOf(now, m_state.Prog.calendar);
    m_reported.clear();
    m_poll->setDevices(m_state.DevList, qMin(m_state.DevLast, kMaxDevices - 1));
    setPaused(false);
    FormResize();
    processPendingEvents();
    setTimerEnabled(true);
    m_poll->arm();
}

void TForm_Show::FormResize()
{
    layOut();
    DrawALLChart(ShowDate);
}

void TForm_Show::layOut()
{
    const int w = width(), h = height();
    const int tableWidth = qBound(300, w * 3 / 8, 560);
    Chart2->setGeometry(5, 5, qMax(100, w - tableWidth - 15), qMax(100, h - 10));
    // The pause notice stands above the readings table while the poll is stopped.
    int tableTop = 5;
    if (Label_Paused->isVisibleTo(this)) {
        const int labelHeight = Label_Paused->heightForWidth(tableWidth);
        Label_Paused->setGeometry(w - tableWidth - 5, 5, tableWidth, qMax(24, labelHeight));
        tableTop += Label_Paused->height() + 5;
    }
    SG_Readings->setGeometry(w - tableWidth - 5, tableTop, tableWidth, qMax(100, h - tableTop - 5));
    const int cw = Chart2->width(), ch = Chart2->height();
    Button1->move(6, 6);
    BTN_Back->move(0, ch - BTN_Back->height());
    Btn_Next->move(cw - Btn_Next->width(), ch - Btn_Next->height());
    Btn_print->move((cw - Btn_print->width()) / 2, ch - Btn_print->height());
}

void TForm_Show::DrawALLChart(const _SYSTEMTIME& t1)
{
    const QList<OnlineChannel> channels = onlineChannels(m_state.DevList, m_state.DevLast);
    for (const OnlineChannel& c : channels) SeriesName[c.chartIndex] = c.name;
    QStringList problems, unreadable;
    const OnlineYears years =
        loadOnlineYears(m_state.Prog.RootDir, t1.wYear, t1.wMonth, channels, &problems, &unreadable);
    m_content = onlineChartContent(channels, years, t1.wYear, t1.wMonth);
    renderOnlineChart(Chart2, m_content);
    // The legend starts again from the plain names; the table keeps the latest readings.
    // Each file's trouble is told once per showing, not at every redraw.
    const auto firstTime = [this](const QString& p) {
        if (m_reported.contains(p)) return false;
        m_reported.insert(p);
        return true;
    };
    for (const QString& p : problems)
        if (firstTime(p)) m_state.log().addLine(p);
    for (const QString& p : unreadable)
        if (firstTime(p)) dialogs().message(kHeaderUnreadableMessage);
}

void TForm_Show::Timer1Timer()
{
    m_poll->refresh = m_state.Prog.refresh;
    m_poll->checkClocks = m_state.Prog.TIMECHEAK == 1;
    m_poll->calendar = m_state.Prog.calendar;
    m_host->devicesInFlight = m_state.Prog.parallel;
    m_poll->tick();
    m_state.Prog.CurDev = m_poll->curDev;
    m_state.Prog.TimeCnt = m_poll->timeCnt;
}

void TForm_Show::SetOnLineTemp(const QString& reading, const QString& ID, int, int SenNum)
{
    if (SenNum < 0 || SenNum > 3) return;
    for (int i = 0; i <= m_state.DevLast && i <= kLegendDevices; ++i) {
        if (m_state.DevList[i].ID != ID) continue;
        const Sensor_Rec& s = m_state.DevList[i].Sensor[SenNum];
        if (i >= kLegendDevices || s.Name.isEmpty()) return;
        const int n = s.ChartIndex;
        if (n < 0 || n >= kOnlineShownLines) return;
        setOnlineLineTitle(Chart2, n, readingTitle(ID, SenNum, SeriesName[n], reading));
        return;
    }
}

void TForm_Show::showReading(int channel)
{
    const QList<ChannelReading>& all = m_poll->channels();
    if (channel < 0 || channel >= all.size()) return;
    const ChannelReading& c = all[channel];
    if (c.hasReading) SetOnLineTemp(c.text, c.deviceId, c.device, c.sensor);
    if (channel < SG_Readings->rowCount()) fillReadingRow(channel, c);
}

void TForm_Show::fillReadingsTable()
{
    const QList<ChannelReading>& all = m_poll->channels();
    SG_Readings->setRowCount(int(all.size()));
    for (int i = 0; i < all.size(); ++i) fillReadingRow(i, all[i]);
}

void TForm_Show::fillReadingRow(int row, const ChannelReading& c)
{
    const QStringList cells = readingRowCells(c, m_state.Prog.calendar);
    const QColor background = m_paused                         ? kPausedRow
                              : c.hasReading && c.alarm        ? kAlarmRow
                              : c.hasReading && c.disconnected ? kDisconnectedRow
                                                               : QColor(Qt::white);
    for (int col = 0; col < cells.size(); ++col) {
        QTableWidgetItem* item = SG_Readings->item(row, col);
        if (!item) {
            item = new QTableWidgetItem;
            SG_Readings->setItem(row, col, item);
        }
        // Readings, times and marks are left-to-right text in a right-to-left table:
        // a closing mark keeps "D.C." from showing as ".D.C".
        item->setText(col >= 3 && !cells[col].isEmpty() ? kLtr + cells[col] + kLtr : cells[col]);
        item->setBackground(background);
        item->setForeground(m_paused ? kPausedInk : QColor(Qt::black));
    }
}

void TForm_Show::setPaused(bool paused)
{
    m_paused = paused;
    Label_Paused->setVisible(paused);
    fillReadingsTable();
    layOut();
}

void TForm_Show::stepMonth(int delta)
{
    const int m = ShowDate.wMonth + delta;
    if (m >= 1 && m <= 12) ShowDate.wMonth = uint16_t(m);
    FormResize();
    setTimerEnabled(false);
    // The poll stays stopped until the window is shown again: the table's readings and
    // alarm rows grow old, and the window says so.
    setPaused(true);
}

void TForm_Show::BTN_BackClick()
{
    stepMonth(-1);
}

void TForm_Show::Btn_NextClick()
{
    stepMonth(+1);
}

void TForm_Show::Btn_printClick()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) printChart(printer);
}

void TForm_Show::printChart(QPrinter& printer)
{
    QCPPainter painter;
    if (!painter.begin(&printer))
        throw FileError(QCoreApplication::translate("Termivo", "The printer cannot be opened."));
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int w = qMax(1, Chart2->width()), h = qMax(1, Chart2->height());
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    // One page, stretched to the page inside its margins; proportions not kept.
    painter.scale(double(page.width()) / w, double(page.height()) / h);
    Chart2->toPainter(&painter, w, h);
    painter.end();
}

void TForm_Show::Chart2ClickSeries(QCPAbstractPlottable* series)
{
    if (!series) return;
    dialogs().message(QStringLiteral("نام سنسور:") + QLatin1Char('\r') + series->name());
}

void TForm_Show::Button1Click()
{
    m_state.stop.request();
    close();
}

void TForm_Show::FormClose()
{
    m_state.stop.request();
    m_poll->firstSweep = true;
}
