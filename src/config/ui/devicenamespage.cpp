#include "config/ui/devicenamespage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/programstate.h"
#include "app/registry.h"
#include "app/windowcommands.h"
#include "link/devicelink.h"
#include "link/portfinder.h"
#include "platform/dialogs.h"
#include "platform/guardedconnect.h"

namespace {
QPushButton* button(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}
}  // namespace

DeviceNamesPage::DeviceNamesPage(ProgramState& state, DeviceLink& link, WindowCommands& commands, QWidget* parent)
    : QWidget(parent), m_state(state), m_link(link), m_commands(commands)
{
    setObjectName(QStringLiteral("TabSheet1"));
    StringGrid1 = new QTableWidget(0, devicelist::ColumnCount, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setLayoutDirection(Qt::LeftToRight);
    StringGrid1->setHorizontalHeaderLabels(devicelist::headers());
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    BitBtnAddDev = button(QStringLiteral("افزودن دستگاه جدید"), "BitBtnAddDev", this);
    BtnDeleteDevice = button(QStringLiteral("حذف  دستگاه انتخاب شده"), "BtnDeleteDevice", this);
    BtnSaveSoft = button(QStringLiteral("ذخیره در نرم افزار"), "BtnSaveSoft", this);
    BtnShowCom = button(QStringLiteral("پورت های سریال را نشان بده"), "BtnShowCom", this);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BitBtnAddDev, BtnDeleteDevice, BtnSaveSoft, BtnShowCom}) buttons->addWidget(b);
    buttons->addStretch(1);
    auto* box = new QVBoxLayout(this);
    box->addWidget(StringGrid1, 1);
    box->addLayout(buttons);

    connectGuarded(StringGrid1, &QTableWidget::currentCellChanged, this,
                   [this](int row, int column) { StringGrid1SelectCell(column, row + 1); });
    connectGuarded(BitBtnAddDev, &QPushButton::clicked, this, [this] { BtnAddNewDeviceClick(); });
    connectGuarded(BtnDeleteDevice, &QPushButton::clicked, this, [this] { BtnDeleteDeviceClick(); });
    connectGuarded(BtnSaveSoft, &QPushButton::clicked, this, [this] { BtnSaveSoftClick(); });
    connectGuarded(BtnShowCom, &QPushButton::clicked, this,
                   [this] { dialogs().message(PortFinder(m_link).serialPortsText()); });
}

void DeviceNamesPage::setRows(const QList<DeviceRow>& rows)
{
    StringGrid1->setRowCount(0);
    for (const DeviceRow& r : rows) appendRow(r);
}

QList<DeviceRow> DeviceNamesPage::rows() const
{
    QList<DeviceRow> out;
    for (int r = 0; r < StringGrid1->rowCount(); ++r) {
        DeviceRow row;
        for (int c = 0; c < devicelist::ColumnCount; ++c) {
            const QTableWidgetItem* item = StringGrid1->item(r, c);
            row << (item ? item->text() : QString());
        }
        out << row;
    }
    return out;
}

void DeviceNamesPage::setRow(int gridRow, const DeviceRow& row)
{
    const int r = gridRow - 1;
    if (r < 0 || r >= StringGrid1->rowCount()) return;
    for (int c = 0; c < devicelist::ColumnCount; ++c) StringGrid1->setItem(r, c, new QTableWidgetItem(row.value(c)));
}

void DeviceNamesPage::appendRow(const DeviceRow& row)
{
    StringGrid1->setRowCount(StringGrid1->rowCount() + 1);
    setRow(StringGrid1->rowCount(), row);
}

void DeviceNamesPage::FormShow()
{
    setRows(devicelist::rowsOfRegistry(m_state));
    m_registryRows = rows();
    SelRow = 0;
}

bool DeviceNamesPage::hasUnsavedEdits() const
{
    return rows() != m_registryRows;
}

void DeviceNamesPage::StringGrid1SelectCell(int ACol, int ARow)
{
    SelRow = ACol == devicelist::Id ? ARow : 0;
}

void DeviceNamesPage::BtnAddNewDeviceClick()
{
    appendRow(devicelist::newRow(rows()));
}

void DeviceNamesPage::BtnDeleteDeviceClick()
{
    if (SelRow < 1 || SelRow > StringGrid1->rowCount()) {
        dialogs().message(QStringLiteral("ابتدا آی دی دستگاه را برای حذف شدن انتخاب کنید "));
        return;
    }
    setRow(SelRow, DeviceRow());
}

int DeviceNamesPage::FindDuplicateID() const
{
    return devicelist::findDuplicateRow(rows());
}

void DeviceNamesPage::BtnSaveSoftClick()
{
    const devicelist::SaveResult r =
        devicelist::saveRegistryRows(deviceStatusPath(m_state.Prog.RootDir), rows(), m_state.journal);
    if (r.outcome == devicelist::SaveOutcome::Duplicate) {
        dialogs().message(QStringLiteral("دو دستگاه نمی توانند یک آی دی داشته باشند "));
        return;
    }
    if (r.outcome == devicelist::SaveOutcome::BadCell) {
        dialogs().message(devicelist::badCellMessage(r.badCell));
        return;
    }
    m_registryRows = rows();
    SerialPortControl& port = m_link.MSComm1();
    if (port.PortOpen()) port.setPortOpen(false);
    m_commands.registryChanged();
    dialogs().message(QStringLiteral("تغییرات ذخیره شد "));
}
