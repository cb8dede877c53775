#include "link/ui/devicechooser.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include "app/programstate.h"
#include "app/records.h"
#include "config/ui/devicenamespage.h"
#include "link/chooser.h"
#include "link/devicelink.h"
#include "link/ui/askedlink.h"
#include "platform/dialogs.h"
#include "platform/eventpump.h"
#include "platform/guardedconnect.h"

void DropDownList::showPopup()
{
    emit droppingDown();
    QComboBox::showPopup();
}

DeviceChooser::DeviceChooser(ProgramState& state, DeviceLink& link, DeviceNamesPage* list, QWidget* parent)
    : QWidget(parent), m_state(state), m_link(link), m_list(list)
{
    setObjectName(QStringLiteral("PanelChooser"));
    Cb_Com_net = new DropDownList(this);
    Cb_Com_net->setObjectName(QStringLiteral("Cb_Com_net"));
    Cb_Com_net->setEditable(true);
    Cb_Com_net->setInsertPolicy(QComboBox::NoInsert);
    Cb_Com_net->setLayoutDirection(Qt::LeftToRight);
    Cb_Com_net->setMinimumWidth(380);
    Cb_Com_net->lineEdit()->setPlaceholderText(QStringLiteral("انتخاب دستگاه"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(QStringLiteral("دستگاه مورد نظر خود را انتخاب کنید"), this));
    row->addWidget(Cb_Com_net, 1);

    connectGuarded(Cb_Com_net, &DropDownList::droppingDown, this, &DeviceChooser::t);
    connectGuarded(Cb_Com_net, &QComboBox::activated, this, &DeviceChooser::Cb_Com_netChange);
    connectGuarded(Cb_Com_net->lineEdit(), &QLineEdit::textEdited, this, [this] { Cb_Com_netChange(-1); });
}

void DeviceChooser::t()
{
    const QSignalBlocker block(Cb_Com_net);
    const QString text = Cb_Com_net->currentText();
    Cb_Com_net->clear();
    Cb_Com_net->addItems(chooserItems(m_list->rows()));
    Cb_Com_net->setCurrentIndex(-1);
    Cb_Com_net->setEditText(text);
}

void DeviceChooser::Cb_Com_netChange(int index)
{
    // The page starts afresh: nothing of the device chosen before stays.
    if (m_hooks.lockExpert) m_hooks.lockExpert();
    if (m_hooks.showSend) m_hooks.showSend(false);
    if (m_hooks.reset) m_hooks.reset();
    processPendingEvents();
    m_state.SelDevice.ID.clear();
    m_state.SelDevice.IP.clear();
    m_link.setLinkPending(true);

    const QList<QStringList> rows = m_list->rows();
    const bool listed = index >= 0 && index < rows.size();
    QString port;
    QString id;
    if (listed) {
        port = rows[index].value(1);
        id = rows[index].value(6);
    } else {
        port = dialogs()
                   .input(QStringLiteral("پورت یا آی پی جدید را وارد کنید"), kNewLinkHint, QString())
                   .value_or(QString());
        if (!port.isEmpty())
            id = dialogs()
                     .input(QStringLiteral("آی دی دستگاه را وارد کنید"), QStringLiteral("For Example a"), QString())
                     .value_or(QString());
    }
    if (!port.isEmpty()) openAskedFor(m_link, m_state.stop, port, m_state.SelDevice);
    m_state.SelDevice.ID = id;
    m_state.SelDevice.IP = port;
    if (!m_link.linkPending() && m_hooks.readAll) m_hooks.readAll();
    if (m_state.SelDevice.IP.isEmpty() && m_hooks.showSend) m_hooks.showSend(false);

    auto field = [this](const char* name) {
        const QLineEdit* e = window()->findChild<QLineEdit*>(QLatin1String(name));
        return e ? e->text() : QString();
    };
    ReportedDevice d;
    d.name = field("LE_BaseParam_Name");
    if (d.name.isEmpty()) return;
    for (int k = 0; k < 4; ++k) d.sensors[k] = field(QStringLiteral("LE_S%1_Name").arg(k).toLatin1().constData());
    d.id = field("LE_BaseParam_ID");
    const QStringList row = reportedRow(d, port, listed ? std::optional(rows[index]) : std::nullopt);
    if (listed)
        m_list->setRow(index + 1, row);
    else
        m_list->appendRow(row);
}
