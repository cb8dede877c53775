#include "config/ui/settingspage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/calendar.h"
#include "app/programstate.h"
#include "app/records.h"
#include "config/expertaccess.h"
#include "config/paramsession.h"
#include "link/devicelink.h"
#include "platform/dialogs.h"
#include "platform/guardedconnect.h"

namespace {

template <class T>
T* named(T* w, const QString& name)
{
    w->setObjectName(name);
    return w;
}

void showAll(const QStringList& messages)
{
    for (const QString& m : messages) dialogs().message(m);
}

// Masked edits show "×" for every character.
class TimesMaskStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter) return 0x00D7;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Runs at the end of a scope, whatever happened.
template <class F>
struct AtExit
{
    F f;
    ~AtExit() { f(); }
};
template <class F>
AtExit(F) -> AtExit<F>;

}  // namespace

TSettingsPage::TSettingsPage(ProgramState& state, DeviceLink& link, QWidget* parent)
    : QWidget(parent), m_state(state), m_link(link)
{
    setObjectName(QStringLiteral("TabSheet_Net"));
    setLayoutDirection(Qt::RightToLeft);

    m_chooserRow = new QHBoxLayout;
    BtnSendSettingJson = named(new QPushButton(QStringLiteral("ذخیره در دستگاه "), this), "BtnSendSettingJson");
    BtnSendSettingJson->hide();
    auto* top = new QHBoxLayout;
    top->addLayout(m_chooserRow);
    top->addWidget(BtnSendSettingJson);
    top->addStretch(1);

    PageControl2 = named(new QTabWidget(this), "PageControl2");
    buildTabs();

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(4, 4, 4, 4);
    box->addLayout(top);
    box->addWidget(PageControl2, 1);

    connectGuarded(BtnSendSettingJson, &QPushButton::clicked, this, &TSettingsPage::BtnSendSettingJsonClick);
    connectGuarded(Button4, &QPushButton::clicked, this, &TSettingsPage::Button4Click);
    connectGuarded(ConfigPass, &QLineEdit::textChanged, this, &TSettingsPage::ConfigPassChange);
    m_state.expert.onGranted(this, [this] {
        m_sheet.unlockBound();
        refresh();
    });
    refresh();
}

ParamExchange TSettingsPage::chosenDevice()
{
    return [this](const QString& cmd) { return m_link.Write2Dev(cmd, m_state.SelDevice); };
}

QString TSettingsPage::caption()
{
    return QStringLiteral(" Zentor8 تنظیمات");
}

void TSettingsPage::insertRepliesPage(QWidget* page, const QString& caption)
{
    PageControl2->insertTab(PageControl2->indexOf(TabSheet7) + 1, page, caption);
}

void TSettingsPage::addPanel(QWidget* innerPage, QWidget* panel)
{
    auto* scroll = qobject_cast<QScrollArea*>(innerPage);
    QWidget* inner = scroll ? scroll->widget() : innerPage;
    // Below the boxes (rows from 0) and the page's own form (row 100), above the stretch.
    if (auto* grid = qobject_cast<QGridLayout*>(inner->layout()))
        grid->addWidget(panel, 101, 0, 1, qMax(1, grid->columnCount()));
    else if (inner->layout())
        inner->layout()->addWidget(panel);
    else
        (new QVBoxLayout(inner))->addWidget(panel);
}

QWidget* TSettingsPage::makeControl(const ParamRow& row)
{
    QWidget* w = nullptr;
    if (row.kind == ParamKind::Index) {
        auto* list = new QComboBox;
        list->addItems(row.items);
        list->setPlaceholderText(kindName(row.kind));
        list->setCurrentIndex(-1);
        const QString name = row.name();
        connectGuarded(list, &QComboBox::activated, this, [this, name](int index) {
            if (m_showing) return;
            showAll(m_sheet.pick(name, index));
            LE_LAN_SIPChange(name);
        });
        w = list;
    } else {
        auto* edit = new QLineEdit;
        edit->setPlaceholderText(kindName(row.kind));
        edit->setLayoutDirection(Qt::LeftToRight);
        if (row.masked) maskWithTimes(edit);
        if (row.state == ParamState::LockedReadOnly) edit->setReadOnly(true);
        const QString name = row.name();
        connectGuarded(edit, &QLineEdit::textChanged, this, [this, name](const QString& text) {
            if (m_showing) return;
            showAll(m_sheet.edit(name, text));
            LE_LAN_SIPChange(name);
        });
        w = edit;
    }
    w->setObjectName(row.name());
    w->setAutoFillBackground(true);
    m_controls.insert(row.name(), w);
    return w;
}

void TSettingsPage::maskWithTimes(QLineEdit* edit)
{
    if (!m_maskStyle) {
        m_maskStyle = new TimesMaskStyle;
        m_maskStyle->setParent(this);
    }
    edit->setStyle(m_maskStyle);
    edit->setEchoMode(QLineEdit::Password);
}

void TSettingsPage::buildTabs()
{
    auto page = [this](const char* name, const QString& caption) {
        auto* scroll = named(new QScrollArea(PageControl2), QLatin1String(name));
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        auto* inner = new QWidget;
        scroll->setWidget(inner);
        PageControl2->addTab(scroll, caption);
        return std::pair<QWidget*, QWidget*>{scroll, inner};
    };
    QHash<ParamTab, QWidget*> inners;
    QHash<ParamTab, QGridLayout*> grids;
    const std::pair<ParamTab, const char*> tabs[] = {{ParamTab::Device, "TabSheet3"},
                                                     {ParamTab::Sensors, "TabSheet4"},
                                                     {ParamTab::Network, "TabSheet6"},
                                                     {ParamTab::Phone, "TabSheet7"},
                                                     {ParamTab::Status, "status"}};
    for (const auto& [tab, name] : tabs) {
        auto [outer, inner] = page(name, tabCaption(tab));
        inners.insert(tab, inner);
        grids.insert(tab, new QGridLayout(inner));
        if (tab == ParamTab::Device) TabSheet3 = outer;
        if (tab == ParamTab::Sensors) TabSheet4 = outer;
        if (tab == ParamTab::Network) TabSheet6 = outer;
        if (tab == ParamTab::Phone) TabSheet7 = outer;
        if (tab == ParamTab::Status) status = outer;
    }
    TabSheet5 = named(new QWidget(PageControl2), "TabSheet5");
    PageControl2->addTab(TabSheet5, QStringLiteral("وضعیت متغیرهای دستگاه"));

    // One form per box; controls without a box go into the tab's own form. Boxes sit
    // side by side, two (sensors: four) to a row.
    QHash<QString, QFormLayout*> forms;
    QHash<ParamTab, int> boxesOnTab;
    auto formFor = [&](const ParamRow& r) {
        const QString id = QString::number(int(r.tab)) + QLatin1Char('/') + r.box;
        if (QFormLayout* f = forms.value(id)) return f;
        auto* f = new QFormLayout;
        f->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QGridLayout* grid = grids.value(r.tab);
        const int perRow = r.tab == ParamTab::Sensors ? 4 : 2;
        if (r.box.isEmpty()) {
            auto* holder = new QWidget;
            holder->setLayout(f);
            grid->addWidget(holder, 100, 0, 1, perRow);  // below the boxes
        } else {
            auto* box = new QGroupBox(r.box);
            box->setLayout(f);
            const int n = boxesOnTab[r.tab]++;
            grid->addWidget(box, n / perRow, n % perRow);
        }
        forms.insert(id, f);
        return f;
    };
    // A list whose label a narrow Number carries shares one row with it: the label once,
    // then the narrow field and the list.
    for (const ParamRow& r : parameterSchema()) {
        if (!r.besideList.isEmpty()) continue;  // placed with its list
        QWidget* w = makeControl(r);
        QString text = r.label;
        if (const ParamRow* carrier = labelCarrier(r)) {
            QWidget* narrow = makeControl(*carrier);
            narrow->setFixedWidth(narrow->fontMetrics().horizontalAdvance(QStringLiteral("Number")) + 24);
            auto* pair = new QWidget;
            auto* h = new QHBoxLayout(pair);
            h->setContentsMargins(0, 0, 0, 0);
            h->addWidget(narrow);
            h->addWidget(w, 1);
            w = pair;
            text = carrier->label;
        }
        auto* label = new QLabel(text);
        formFor(r)->addRow(label, w);
        if (r.state == ParamState::Hidden) {
            label->hide();
            w->hide();
        }
    }
    for (QGridLayout* g : grids) g->setRowStretch(102, 1);

    // The device tab: the computer's clock and the expert access.
    QFormLayout* device = forms.value(QString::number(int(ParamTab::Device)) + QLatin1Char('/'));
    LE_BaseParam_TimeDate = named(new QLineEdit, "LE_BaseParam_TimeDate");
    LE_BaseParam_TimeDate->setReadOnly(true);
    LE_BaseParam_TimeDate->setLayoutDirection(Qt::LeftToRight);
    device->addRow(new QLabel(QStringLiteral("تاریخ و ساعت کامپیوتر")), LE_BaseParam_TimeDate);
    ConfigPass = named(new QLineEdit, "ConfigPass");
    maskWithTimes(ConfigPass);
    device->addRow(new QLabel(QStringLiteral("فعال سازی پیکر بندی سیستم")), ConfigPass);
    // The status tab: its read button.
    Button4 = named(new QPushButton(QStringLiteral("get setting")), "Button4");
    grids.value(ParamTab::Status)->addWidget(Button4, 99, 0, Qt::AlignLeft);
}

void TSettingsPage::showCell(const ParamCell& c)
{
    QWidget* w = m_controls.value(c.row->name());
    if (!w) return;
    const bool was = m_showing;
    m_showing = true;
    if (auto* list = qobject_cast<QComboBox*>(w)) {
        if (list->currentIndex() != c.index) list->setCurrentIndex(c.index);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != c.text) edit->setText(c.text);
    }
    QPalette pal = w->palette();
    const QColor bg = c.changed ? changedColor() : QColor(Qt::white);
    pal.setColor(QPalette::Base, bg);
    pal.setColor(QPalette::Button, bg);
    w->setPalette(pal);
    w->setEnabled(c.enabled);
    w->setToolTip(c.tooltip);
    m_showing = was;
}

void TSettingsPage::refresh()
{
    for (const ParamCell& c : m_sheet.cells()) showCell(c);
    LE_BaseParam_TimeDate->setText(m_sheet.clockText);
    BtnSendSettingJson->setVisible(m_sheet.sendShown);
}

void TSettingsPage::clearSheet()
{
    m_sheet.loaded = false;
    m_sheet.clearBound();
    m_sheet.sendShown = false;
    refresh();
}

void TSettingsPage::BtnReadAllDataClick()
{
    AtExit done{[this] { refresh(); }};
    readFullSet(m_sheet, chosenDevice(), m_link.observer(), clockOf(programNow(), m_state.Prog.calendar),
                m_state.expert.granted());
}

void TSettingsPage::Button4Click()
{
    AtExit done{[this] { refresh(); }};
    readStatusSet(m_sheet, chosenDevice(), m_link.observer(), m_state.expert.granted());
}

void TSettingsPage::BtnSendSettingJsonClick()
{
    AtExit done{[this] { refresh(); }};
    const SendOutcome o =
        sendChanges(m_sheet, chosenDevice(), m_link.observer(), m_state.Prog.RootDir,
                    clockOf(programNow(), m_state.Prog.calendar), m_state.expert.granted(), m_state.journal);
    for (const QString& m : carryOverMessages(o.carried)) dialogs().message(m);
}

void TSettingsPage::ConfigPassChange()
{
    if (!isExpertAccessCode(ConfigPass->text(), programNow())) return;
    dialogs().message(sheettext::kExpertWarning);
    m_state.expert.grant();
}

void TSettingsPage::LE_LAN_SIPChange(const QString& controlName)
{
    if (const ParamCell* c = m_sheet.cell(controlName)) showCell(*c);
    BtnSendSettingJson->setVisible(m_sheet.sendShown);
}

bool TSettingsPage::CheckValidity()
{
    const QStringList problems = validationMessages(m_sheet);
    showAll(problems);
    return problems.isEmpty();
}

QString TSettingsPage::bindShown(const QString& text1, const QString& top, const QString& Cmd)
{
    AtExit done{[this] { refresh(); }};
    const BindOutcome b =
        m_sheet.bind(text1, top, Cmd.isEmpty() ? BindMode::Fill : BindMode::Build, m_state.expert.granted());
    for (const QString& line : b.undefinedLines) m_link.observer().jsonLine(line);
    showAll(b.messages);
    return Cmd.isEmpty() ? QString() : b.changeText;
}

QString TSettingsPage::ParseJson(const QString& text1, const QString& Cmd)
{
    return bindShown(text1, QStringLiteral("Main"), Cmd);
}

QString TSettingsPage::ParseJsonFullStat(const QString& text1, const QString& Cmd)
{
    return bindShown(text1, QStringLiteral("FullStat"), Cmd);
}
