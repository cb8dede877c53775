// The main window's menu, file opening, view commands and show/resize/close work.
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QKeySequence>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <qcustomplot.h>

#include "app/ledger.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/windowcommands.h"
#include "link/devicelink.h"
#include "link/linkkind.h"
#include "link/portfinder.h"
#include "link/replies.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/guardedconnect.h"
#include "platform/textfile.h"
#include "views/month.h"
#include "views/navigation.h"
#include "views/ui/compliancepanel.h"
#include "views/ui/form1.h"
#include "views/ui/monthview.h"

namespace {

QAction* addItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    return a;
}

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& caption)
{
    QMenu* m = bar->addMenu(caption);
    m->setObjectName(QLatin1String(name));
    return m;
}

}  // namespace

void TForm1::buildMenu()
{
    QMenuBar* bar = menuBar();
    File1 = addMenu(bar, "File1", QStringLiteral("فایل"));
    Open1 = addItem(File1, "Open1", QStringLiteral("باز کردن فایل "), QKeySequence(Qt::CTRL | Qt::Key_O));
    SaveasBitmap1 = addItem(File1, "SaveasBitmap1", QStringLiteral("ذخیره به صورت عکس "));
    SaveAsTextFile1 = addItem(File1, "SaveAsTextFile1", QStringLiteral("ذخیره به صورت متن "));
    SaveAsTextFile1->setStatusTip(QStringLiteral("برای استفاده در نرم افزار های آماری مانند اکسل و ..."));
    SaveAsTextFile1->setToolTip(SaveAsTextFile1->statusTip());
    Print1 = addItem(File1, "Print1", QStringLiteral("چاپ"), QKeySequence(Qt::CTRL | Qt::Key_P));
    VerifyFiles1 = addItem(File1, "VerifyFiles1", QStringLiteral("بررسی درستی پرونده‌ها"));
    File1->addSeparator();
    Exit1 = addItem(File1, "Exit1", QStringLiteral("خروج"), QKeySequence(Qt::CTRL | Qt::Key_X));
    // Ctrl+F opens the file menu.
    auto* fileKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connectGuarded(fileKey, &QShortcut::activated, this, [this] { menuBar()->setActiveAction(File1->menuAction()); });

    Read1 = addMenu(bar, "Read1", QStringLiteral("ارتباط با دستگاه "));
    AllData1 = addItem(Read1, "AllData1", QStringLiteral("خواندن اطلاعات از دستگاه "));
    ExtendedConfig1 = addItem(Read1, "ExtendedConfig1", QStringLiteral("تنظیمات"));
    Showreadingreport1 = addItem(Read1, "Showreadingreport1", QStringLiteral("نمایش جزییات  ارتباط "));
    N6 = addItem(Read1, "N6", QStringLiteral("نمایش پیامها"));

    Option1 = addMenu(bar, "Option1", QStringLiteral("تنظیمات نمایش "));
    LastMonth1 = addItem(Option1, "LastMonth1", QStringLiteral("ماه قبل"), QKeySequence(Qt::Key_F2));
    NextMonth1 = addItem(Option1, "NextMonth1", QStringLiteral("ماه بعد"), QKeySequence(Qt::Key_F3));
    Option1->addSeparator();
    BackSen = addItem(Option1, "BackSen", QStringLiteral("سنسور قبلی"), QKeySequence(Qt::Key_F4));
    NextSen = addItem(Option1, "NextSen", QStringLiteral("سنسور بعدی"), QKeySequence(Qt::Key_F5));
    Option1->addSeparator();
    Period1 = Option1->addMenu(QStringLiteral("دوره نمونه برداری"));
    Period1->setObjectName(QStringLiteral("Period1"));
    PeriodGroup = new QActionGroup(this);
    PeriodGroup->setExclusive(true);
    Avrage1hour1 = addItem(Period1, "Avrage1hour1", QStringLiteral("یک ساعت "));
    Avrage3Hour1 = addItem(Period1, "Avrage3Hour1", QStringLiteral("سه ساعت"));
    Avrage6Hour1 = addItem(Period1, "Avrage6Hour1", QStringLiteral("شش ساعت"));
    Avrage12Hour1 = addItem(Period1, "Avrage12Hour1", QStringLiteral("دوازده ساعت"));
    Avrage1day = addItem(Period1, "Avrage1day", QStringLiteral("یک روز"));
    for (QAction* a : {Avrage1hour1, Avrage3Hour1, Avrage6Hour1, Avrage12Hour1, Avrage1day}) {
        a->setCheckable(true);
        PeriodGroup->addAction(a);
        connectGuarded(a, &QAction::triggered, this, [this, a] { Avrage1hour1Click(a); });
    }
    Avrage3Hour1->setChecked(true);
    ShowMinMax1 = addItem(Option1, "ShowMinMax1", QStringLiteral("نمایش حد اقل و حد اکثر روزانه "));
    ShowMinMax1->setCheckable(true);
    ShowMinMax1->setChecked(false);
    ShowMeanSD1 = addItem(Option1, "ShowMeanSD1", QStringLiteral("نمایش  میانگین و انحراف معیار "));
    ShowMeanSD1->setCheckable(true);
    ShowMeanSD1->setChecked(true);

    Insert1 = addMenu(bar, "Insert1", QStringLiteral("افزودن"));
    EditComment1 = addItem(Insert1, "EditComment1", QStringLiteral("افزودن سربرگ"));
    backimage1 = addItem(Insert1, "backimage1", QStringLiteral("افزودن پس زمینه "));
    AddComment1 = addItem(Insert1, "AddComment1", QStringLiteral("افزودن توضیحات"));

    Help1 = addMenu(bar, "Help1", QStringLiteral("راهنما"));
    About1 = addItem(Help1, "About1", QStringLiteral("درباره ما"), QKeySequence(Qt::Key_F1));
    site1 = addItem(Help1, "site1", QStringLiteral("وب سایت Norvak Halvik"));
    pdfHelp = addItem(Help1, "pdfHelp", QStringLiteral("مشاهده فایل راهنما"));
    openfolder1 = addItem(Help1, "openfolder1", QStringLiteral("مشاهده محل نصب برنامه"));
    mailto1 = addItem(Help1, "mailto1", QStringLiteral("ارسال اطلاعات به شرکت برای عیب یابی"));

    OpenDialogChart.Filter = QStringLiteral("XKQ report file (*.rep)|*.rep");

    // Every handler runs inside the error boundary.
    auto bind = [this](QAction* a, void (TForm1::*handler)()) {
        connectGuarded(a, &QAction::triggered, this, handler);
    };
    bind(Open1, &TForm1::Open1Click);
    bind(Exit1, &TForm1::Exit1Click);
    bind(VerifyFiles1, &TForm1::VerifyFiles1Click);
    bind(AllData1, &TForm1::AllData1Click);
    bind(ExtendedConfig1, &TForm1::ExtendedConfig1Click);
    bind(Showreadingreport1, &TForm1::Showreadingreport1Click);
    bind(N6, &TForm1::N6Click);
    bind(LastMonth1, &TForm1::LastMonth1Click);
    bind(NextMonth1, &TForm1::NextMonth1Click);
    bind(BackSen, &TForm1::BackSenClick);
    bind(NextSen, &TForm1::NextSenClick);
    bind(ShowMinMax1, &TForm1::ShowMinMax1Click);
    bind(ShowMeanSD1, &TForm1::ShowMeanSD1Click);
    bindExtrasMenu();
}

void TForm1::renderMonth()
{
    renderMonthChart(Chart1, m_view.chart);
    renderMonthTable(SG_Table, m_view.table);
    TabCompliance->showFigures(m_compliance);
}

void TForm1::loadBackgroundPicture()
{
    const QString pic = m_state.Prog.picFileName;
    if (pic.isEmpty() || !QFileInfo(pic).isFile()) return;
    requireReadablePicture(pic);
    m_view.chart.backgroundPicture = pic;
    renderMonth();
}

void TForm1::InitViewState()
{
    MonthView fresh;
    InitTableGrid(fresh.table, 3, 30, CurChart.Curr_Mon);
    fresh.chart.backgroundPicture = m_view.chart.backgroundPicture;
    m_view = std::move(fresh);
}

void TForm1::DrawMonth(int month)
{
    MonthViewOptions options;
    options.period = CurChart.Avr_Hour;
    options.showMinMax = ShowMinMax1->isChecked();
    options.showMeanSD = ShowMeanSD1->isChecked();
    options.yearText = CurChart.Curr_Year;
    const MonthLimits limits = shownMonthLimits(month);
    options.limits = limits;
    MonthView built = buildMonthView(m_year ? *m_year : emptyReportYear(), month, options);
    // The limit lines are drawn when a file is opened and a month keeps the ones on
    // show, unless the journal tells that the file's limits changed: then each month
    // draws those of its own hours.
    const bool ownLimits = m_year && !m_year->limitsHistory.empty();
    for (int s = 0; s < kMonthSeriesCount; ++s) {
        const bool limitLine = s == kSeriesLowerLimit || s == kSeriesUpperLimit;
        if (!limitLine || ownLimits) m_view.chart.series[s].points = std::move(built.chart.series[s].points);
    }
    m_view.chart.foot = std::move(built.chart.foot);
    m_view.table = std::move(built.table);
    m_view.periodAverages = std::move(built.periodAverages);
    computeCompliance(month, limits);
}

void TForm1::redraw()
{
    DrawMonth(CurChart.Curr_Mon);
    renderMonth();
}

int TForm1::checkedPeriod() const
{
    int period = 3;
    if (Avrage1hour1->isChecked()) period = 1;
    if (Avrage3Hour1->isChecked()) period = 3;
    if (Avrage6Hour1->isChecked()) period = 6;
    if (Avrage12Hour1->isChecked()) period = 12;
    if (Avrage1day->isChecked()) period = 24;
    return period;
}

void TForm1::showYear(std::shared_ptr<const ReportYear> year)
{
    m_year = std::move(year);
    showYearInRecord(*m_year, CurChart);
    CurChart.FileName = m_year->path;
    m_view.chart.clearSeries();
    setLimitLines(m_view.chart, m_year->header);
    DrawMonth(CurChart.Curr_Mon);
}

QStringList TForm1::titleOf(const QStringList& heading) const
{
    if (CurChart.FileName.isEmpty()) return heading;
    return chartTitle(heading, sensorNameOfFile(CurChart.FileName));
}

bool TForm1::OpenMyFile(const QString& str1)
{
    QStringList openedLines;
    const bool ok = guarded([&] {
        // The file is loaded on the side; what is on show changes only once it has loaded.
        const int period = checkedPeriod();
        const TextFile file = readTextFile(str1);
        auto year = std::make_shared<ReportYear>();
        year->path = str1;
        year->header = headerFieldsOf(CurChart);
        year->limitsHistory = readLimitsHistory(m_state.Prog.RootDir, str1);
        try {
            loadReportYear(*year, file.lines);
        } catch (...) {
            if (year->headerUnreadable) dialogs().message(kHeaderUnreadableMessage);
            throw;
        }
        if (year->headerUnreadable) dialogs().message(kHeaderUnreadableMessage);
        if (!year->headerRead && year->dayLines == 0)
            throw ConvertError(QStringLiteral("\"%1\" is not a report file").arg(QFileInfo(str1).fileName()));
        CurChart.Avr_Hour = period;
        showYear(std::move(year));
        const QString name = sensorNameOfFile(str1);
        m_view.chart.valueAxisCaption = valueAxisCaption(CurChart.Dev_Type, CurChart.Sensor_Type, name);
        m_view.chart.title = titleOf(m_state.Prog.Comment);
        PageControl1->setTabText(0, QStringLiteral(" منحنی : ") + name);
        PageControl1->setTabText(1, QStringLiteral(" جدول : ") + name);
        openedLines = file.lines;
    });
    renderMonth();
    // The month is on show before the warning comes.
    if (ok) warnOfUnjournalledDays(str1, openedLines);
    return ok;
}

void TForm1::Open1Click()
{
    const QString chosen =
        dialogs().openFile(QStringLiteral("باز کردن فایل "), OpenDialogChart.Filter, OpenDialogChart.FileName);
    if (chosen.isEmpty()) return;
    OpenDialogChart.FileName = chosen;
    OpenMyFile(chosen);
}

void TForm1::AcceptFiles(const QStringList& paths)
{
    if (paths.size() > 1) {
        dialogs().message(QStringLiteral(" please select just 1 file"));
        return;
    }
    if (paths.isEmpty()) return;
    const QString path = paths.first().left(254);
    OpenDialogChart.FileName = path;
    OpenMyFile(path);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& u : event->mimeData()->urls())
        if (u.isLocalFile()) paths << u.toLocalFile();
    event->acceptProposedAction();
    guarded([&] { AcceptFiles(paths); });
}

void TForm1::GB_DeviceName1Click(int box, int role)
{
    const int d = box - 1;
    if (d < 0 || d > m_state.DevLast) return;
    if (role == 0) {
        MySetting1Call(d);
    } else if (role >= 1 && role <= 4) {
        const QString path = currentYearReportPath(m_state, d, role - 1);
        if (!path.isEmpty() && QFileInfo(path).isFile()) {
            if (OpenMyFile(path)) PageControl1->setCurrentWidget(TabChart);
        } else {
            dialogs().message(QStringLiteral("اطلاعات گراف یافت نشد "));
        }
    }
}

void TForm1::MySetting1Call(int i)
{
    ExtendedConfig1Click();
    m_state.SelDevice.IP = m_state.DevList[i].IP;
    m_state.SelDevice.ID = m_state.DevList[i].ID;
    if (!m_state.SelDevice.IP.isEmpty()) {
        m_commands.openDeviceAddress(m_state.SelDevice.IP);
        m_state.SelDevice.IP = m_state.DevList[i].IP;
    }
}

QString TForm1::Send2XKQ(const QString& str1, Device_Rec& Device1)
{
    QString reply = m_link.Write2Dev(str1, Device1);
    if (reply.contains(QLatin1String("Message"))) dialogs().message(reply);
    return reply;
}

void TForm1::openFirstDevicePort()
{
    if (m_state.DevLast < 0 || m_state.DevList[0].Sensor[0].Name.isEmpty()) return;
    const QString address = m_state.DevList[0].IP.toUpper();
    const PortOpening opening = PortFinder(m_link).openFirstDevicePort(address);
    if (opening.noPortList) dialogs().message(linktext::kNoControlPanel);
    if (opening.failed)
        dialogs().message(QStringLiteral("امکان باز شدن این پورت وجود ندارد ") + address + QLatin1Char('\r') +
                          QStringLiteral("نرم افزار دیگری از این پورت استفاده میکند؟") + QLatin1Char('\r') +
                          QStringLiteral("یا شماره پورت سریال تغییر پیدا کرده است؟"));
    m_commands.showPortInProgress(m_state.DevList[0].IP);
}

void TForm1::BtnShowOnlineClick()
{
    if (ledgerExists(m_state.Prog.RootDir)) {
        m_state.stop.clear();
        m_commands.downloadAll();
        m_commands.showOnline();
        return;
    }
    dialogs().message(QStringLiteral("لطفا ابتدی دوره را مشخص نمایید"));
    m_commands.showCommWindow(true);
}

void TForm1::AllData1Click()
{
    m_commands.showDownloadDialog();
}

void TForm1::ExtendedConfig1Click()
{
    m_state.stop.clear();
    m_commands.showCommWindow();
}

void TForm1::Showreadingreport1Click()
{
    m_commands.showProgressWindow();
}

void TForm1::N6Click()
{
    m_commands.showMessageLog();
}

void TForm1::Exit1Click()
{
    close();
}

void TForm1::Btn_BackClick()
{
    if (CurChart.Curr_Mon > CurChart.StMon) --CurChart.Curr_Mon;
    redraw();
}

void TForm1::Btn_NextClick()
{
    if (CurChart.Curr_Mon < CurChart.EndMon) ++CurChart.Curr_Mon;
    redraw();
}

void TForm1::LastMonth1Click()
{
    Btn_BackClick();
}

void TForm1::NextMonth1Click()
{
    Btn_NextClick();
}

void TForm1::NextSenClick()
{
    if (stepNextSensor(NavDevice, NavSensor, [this](int d, int s) { return sensorHasCurrentFile(m_state, d, s); }))
        OpenMyFile(currentYearReportPath(m_state, NavDevice, NavSensor));
    else
        dialogs().message(QStringLiteral("این گراف مربوط به آخرین سنسور است"));
}

void TForm1::BackSenClick()
{
    if (stepPreviousSensor(NavDevice, NavSensor, [this](int d, int s) { return sensorHasCurrentFile(m_state, d, s); }))
        OpenMyFile(currentYearReportPath(m_state, NavDevice, NavSensor));
    else
        dialogs().message(QStringLiteral("این گراف مربوط به اولین سنسور است"));
}

void TForm1::Avrage1hour1Click(QAction* sender)
{
    const QList<QPair<QAction*, int>> items{
        {Avrage1hour1, 1}, {Avrage3Hour1, 3}, {Avrage6Hour1, 6}, {Avrage12Hour1, 12}, {Avrage1day, 24}};
    for (const auto& [item, hours] : items) {
        if (sender == item) {
            item->setChecked(true);
            CurChart.Avr_Hour = hours;
        }
    }
    redraw();
}

void TForm1::ShowMinMax1Click()
{
    // The action toggles its own check mark when triggered from the menu.
    redraw();
}

void TForm1::ShowMeanSD1Click()
{
    if (!OpenDialogChart.FileName.isEmpty()) redraw();
}

void TForm1::FormShow()
{
    m_view.chart.clearSeries();
    renderMonth();
    if (!m_args.isEmpty()) {
        OpenDialogChart.FileName = m_args.first();
        guarded([&] { Open1Click(); });
    }
    FormResize();
    guarded([this] { openFirstDevicePort(); });
    m_view.chart.title = titleOf(m_state.Prog.Comment);
    renderMonth();
    if (m_state.Prog.Online == 1) guarded([this] { BtnShowOnlineClick(); });
}

void TForm1::FormResize()
{
    const int W = width();
    const int H = height();
    PageControl1->resize(W - 10, H - 100);
    SG_Table->resize(PageControl1->width() - 10, PageControl1->height() - 100);
    Chart1->resize(W - 50, H - 150);
    Btn_Next->move(Btn_Next->x(), Chart1->height() - Btn_Next->height());
    Btn_Back->move(Btn_Back->x(), Chart1->height() - Btn_Back->height());
    Btn_Next->move(Chart1->width() + Chart1->x() - Btn_Next->width(), Btn_Next->y());
    Btn_Back->move(Chart1->x(), Btn_Back->y());
    BtnBack_table->move(Btn_Back->pos());
    Btn_NextTable->move(Btn_Next->pos());
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous() || m_shownOnce) return;
    m_shownOnce = true;
    // After the window is on screen, so that its messages stand in front of it.
    QTimer::singleShot(0, this, guardedHandler([this] { FormShow(); }));
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    m_state.stop.request();
    event->accept();
    // Closing the main window ends the program, whatever other windows are open.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}
