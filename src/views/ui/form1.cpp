#include "views/ui/form1.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/rootdir.h"
#include "link/devicelink.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/guardedconnect.h"
#include "platform/ui/rtlwidgets.h"
#include "views/month.h"

namespace {
const char* const kRoleProperty = "termivoRole";
}

TForm1::TForm1(ProgramState& state, DeviceLink& link, WindowCommands& commands, const QStringList& args,
               QWidget* parent)
    : QMainWindow(parent), m_state(state), m_link(link), m_commands(commands), m_args(args)
{
    setObjectName(QStringLiteral("Form1"));
    buildWindow();
    guarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

QString TForm1::roleCode(int box, int role)
{
    return QString::number(box) + QString::number(role);
}

void TForm1::buildWindow()
{
    setWindowTitle(QStringLiteral("سیستم  مانیتورینگ دماو رطوبت "));
    setLayoutDirection(Qt::RightToLeft);
    setFont(QFont(QStringLiteral("Tahoma"), 9));

    // The page control and the chart are placed by FormResize, not by layouts.
    Panel = new QWidget(this);
    Panel->setObjectName(QStringLiteral("Panel"));
    PageControl1 = new QTabWidget(Panel);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->move(0, 0);

    TabChart = new QWidget;
    TabChart->setObjectName(QStringLiteral("TabChart"));
    Chart1 = new QCustomPlot(TabChart);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Btn_Back = new QPushButton(QStringLiteral("ماه قبل "), TabChart);
    Btn_Back->setObjectName(QStringLiteral("Btn_Back"));
    Btn_Next = new QPushButton(QStringLiteral("ماه بعد"), TabChart);
    Btn_Next->setObjectName(QStringLiteral("Btn_Next"));
    Chart1->setGeometry(10, 0, 750, 450);  // sized again by FormResize
    Chart1->lower();
    BtnShowOnline = new QPushButton(QStringLiteral("داده برداری و نمایش آنلاین"), TabChart);
    BtnShowOnline->setObjectName(QStringLiteral("BtnShowOnline"));
    {
        QFont f = BtnShowOnline->font();
        f.setBold(true);
        f.setItalic(true);
        BtnShowOnline->setFont(f);
        BtnShowOnline->setStyleSheet(QStringLiteral("color: navy;"));
        BtnShowOnline->adjustSize();
        BtnShowOnline->move(20, 8);
    }
    PageControl1->addTab(TabChart, QStringLiteral("منحنی"));

    TabTable = new QWidget;
    TabTable->setObjectName(QStringLiteral("TabTable"));
    SG_Table = new QTableWidget(TabTable);
    cellsInTheirOwnDirection(SG_Table);
    SG_Table->setObjectName(QStringLiteral("SG_Table"));
    SG_Table->move(5, 5);
    BtnBack_table = new QPushButton(QStringLiteral("ماه قبل"), TabTable);
    BtnBack_table->setObjectName(QStringLiteral("BtnBack_table"));
    Btn_NextTable = new QPushButton(QStringLiteral("ماه بعد"), TabTable);
    Btn_NextTable->setObjectName(QStringLiteral("Btn_NextTable"));
    PageControl1->addTab(TabTable, QStringLiteral("جدول"));
    buildCompliancePage();

    TabSheet1 = buildDevicePanel();
    PageControl1->addTab(TabSheet1, QStringLiteral("دستگاه ها"));

    setCentralWidget(Panel);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(StatusBar1);
    RootFolderLabel = new QLabel(StatusBar1);
    RootFolderLabel->setObjectName(QStringLiteral("RootFolderLabel"));
    RootFolderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    StatusBar1->addPermanentWidget(RootFolderLabel);
    buildMenu();
    connectGuarded(this, &TForm1::devicePanelClicked, this, &TForm1::GB_DeviceName1Click);
    connectGuarded(Btn_Back, &QPushButton::clicked, this, &TForm1::Btn_BackClick);
    connectGuarded(BtnBack_table, &QPushButton::clicked, this, &TForm1::Btn_BackClick);
    connectGuarded(Btn_Next, &QPushButton::clicked, this, &TForm1::Btn_NextClick);
    connectGuarded(Btn_NextTable, &QPushButton::clicked, this, &TForm1::Btn_NextClick);
    connectGuarded(BtnShowOnline, &QPushButton::clicked, this, &TForm1::BtnShowOnlineClick);
}

QWidget* TForm1::buildDevicePanel()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto* grid = new QGridLayout(page);
    for (int b = 0; b < 8; ++b) {
        const int box = b + 1;
        auto* gb = new QGroupBox(QStringLiteral("Device:"), page);
        gb->setObjectName(QStringLiteral("GB_DeviceName%1").arg(box));
        gb->setStyleSheet(
            QStringLiteral("QGroupBox { background-color: #8fdc8f; }"
                           "QGroupBox::title { color: blue; font-weight: bold; "
                           "text-decoration: underline; }"));
        gb->setProperty(kRoleProperty, roleCode(box, 0));
        gb->setToolTip(roleCode(box, 0));
        gb->installEventFilter(this);
        auto* v = new QFormLayout(gb);
        v->setVerticalSpacing(4);
        for (int s = 0; s < 4; ++s) {
            auto* label = new QLabel(QStringLiteral("Sensor%1").arg(s + 1), gb);
            auto* le = new QLineEdit(gb);
            le->setObjectName(QStringLiteral("LE_D%1_S%2").arg(box).arg(s + 1));
            le->setReadOnly(true);
            le->setPlaceholderText(QStringLiteral("برای نمایش منحنی راست کلیک کنید"));
            le->setProperty(kRoleProperty, roleCode(box, s + 1));
            le->setToolTip(roleCode(box, s + 1));
            le->setContextMenuPolicy(Qt::NoContextMenu);  // a right-click opens the curve, as the hint says
            le->installEventFilter(this);
            label->setBuddy(le);
            v->addRow(label, le);
            LE_D_S[b][s] = le;
        }
        auto* ipLabel = new QLabel(QStringLiteral("ID&&IP"), gb);
        auto* ip = new QLineEdit(gb);
        ip->setObjectName(QStringLiteral("LE_D%1_IP").arg(box));
        ip->setReadOnly(true);
        ip->setProperty(kRoleProperty, roleCode(box, 6));
        ip->setToolTip(roleCode(box, 6));
        ip->setContextMenuPolicy(Qt::NoContextMenu);
        ip->installEventFilter(this);
        ipLabel->setBuddy(ip);  // "&&" then draws as one "&"
        v->addRow(ipLabel, ip);
        auto* button = new QPushButton(QStringLiteral("تنظیمات"), gb);
        button->setObjectName(QStringLiteral("Button%1").arg(box));
        button->setProperty(kRoleProperty, roleCode(box, 0));
        button->setToolTip(roleCode(box, 0));
        connectGuarded(button, &QPushButton::clicked, this, [this, box] { emit devicePanelClicked(box, 0); });
        v->addRow(button);
        gb->setVisible(false);
        GB_DeviceName[b] = gb;
        LE_D_IP[b] = ip;
        DeviceButton[b] = button;
        grid->addWidget(gb, b / 4, b % 4);
    }
    grid->setRowStretch(2, 1);
    return page;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    const QVariant role = watched->property(kRoleProperty);
    if (role.isValid()) {
        const QString code = role.toString();
        const int box = code.left(1).toInt();
        const int r = code.mid(1).toInt();
        switch (event->type()) {
            case QEvent::MouseButtonRelease:
                emit devicePanelClicked(box, r);
                break;
            case QEvent::Enter:
                if (r >= 1 && r <= 4) QApplication::setOverrideCursor(Qt::PointingHandCursor);
                break;
            case QEvent::Leave:
                if (r >= 1 && r <= 4) QApplication::restoreOverrideCursor();
                break;
            default:
                break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::FormCreate()
{
    m_year.reset();
    setAcceptDrops(true);
    // Before anything can fail: a start-up stopped by an unreadable registry or
    // picture still leaves a month view that works.
    CurChart = Chart_rec{};
    CurChart.Avr_Hour = 3;
    NavDevice = 0;
    NavSensor = -1;
    resetProgram(m_state, m_link);
    RootFolderLabel->setText(QStringLiteral("پوشه داده ها: %1").arg(QDir::toNativeSeparators(m_state.Prog.RootDir)));
    InitViewState();
    renderMonth();
    LoadDeviceStatus();
    loadBackgroundPicture();
}

void TForm1::LoadDeviceStatus()
{
    const RegistryLoadNotes notes = loadRegistry(m_state);
    m_link.setSettings(linkSettingsFrom(m_state.Prog));  // the settings file's waits and tries
    fillDevicePanel();
    const RegistryNoteTexts told = registryNoteTexts(notes);
    if (!told.error.isEmpty()) showErrorBox(told.error);
    if (!told.message.isEmpty()) dialogs().message(told.message);
}

void TForm1::fillDevicePanel()
{
    for (int r = 0; r < 8; ++r) {
        const int box = r + 1;
        auto* gb = findChild<QGroupBox*>(QStringLiteral("GB_DeviceName%1").arg(box));
        const bool used = r <= m_state.DevLast;
        for (int s = 0; s < 4; ++s) {
            if (auto* le = findChild<QLineEdit*>(QStringLiteral("LE_D%1_S%2").arg(box).arg(s + 1)))
                le->setText(used ? m_state.DevList[r].Sensor[s].Name : QString());
        }
        if (auto* ip = findChild<QLineEdit*>(QStringLiteral("LE_D%1_IP").arg(box)))
            ip->setText(used ? m_state.DevList[r].ID + QLatin1Char(',') + m_state.DevList[r].IP : QString());
        if (gb) {
            gb->setTitle(used ? QStringLiteral("Device:") + m_state.DevList[r].Name : QStringLiteral("Device:"));
            gb->setVisible(used);
        }
    }
}
