#include "download/ui/form_read.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/calendar.h"
#include "app/programstate.h"
#include "app/windowcommands.h"
#include "download/monthspan.h"
#include "link/devicelink.h"
#include "platform/bidi.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/guardedconnect.h"

namespace {
QComboBox* list(const char* name, QWidget* parent)
{
    auto* cb = new QComboBox(parent);
    cb->setObjectName(QLatin1String(name));
    return cb;
}
}  // namespace

const QStringList& TForm_read::monthNames()
{
    static const QStringList names{
        QStringLiteral("(1) فروردین"), QStringLiteral("(2) اردیبهشت"), QStringLiteral("(3) خرداد "),
        QStringLiteral("(4) تیر"),     QStringLiteral("(5) مرداد "),   QStringLiteral("(6) شهریور"),
        QStringLiteral("(7) مهر "),    QStringLiteral("(8) آبان "),    QStringLiteral("(9) آذر "),
        QStringLiteral("(10) دی "),    QStringLiteral("(11) بهمن "),   QStringLiteral("(12) اسفند"),
    };
    return names;
}

TForm_read::TForm_read(ProgramState& state, DeviceLink& link, WindowCommands& commands, QWidget* parent)
    : QDialog(parent), m_state(state), m_link(link), m_commands(commands)
{
    setObjectName(QStringLiteral("Form_read"));
    setWindowTitle(QStringLiteral(" داده برداری از دستگاه  "));
    setLayoutDirection(Qt::RightToLeft);
    setModal(true);

    ComboBox1 = list("ComboBox1", this);
    ComboBox1->setLayoutDirection(Qt::LeftToRight);
    ComboBox1->setMinimumWidth(380);
    CB_Year = list("CB_Year", this);
    for (int y = 0; y <= 99; ++y) CB_Year->addItem(QString::number(y));
    CB_Year->setPlaceholderText(QStringLiteral("سال"));
    From_ComboBox = list("From_ComboBox", this);
    To_ComboBox = list("To_ComboBox", this);
    From_ComboBox->addItems(monthNames());
    To_ComboBox->addItems(monthNames());
    To_ComboBox->addItem(QString());
    for (QComboBox* cb : {From_ComboBox, To_ComboBox}) {
        cb->setPlaceholderText(QStringLiteral("انتخاب ماه "));
        cb->setCurrentIndex(-1);
    }
    Btn_read = new QPushButton(QStringLiteral("ذخیره"), this);
    Btn_read->setObjectName(QStringLiteral("Btn_read"));

    auto* months = new QGroupBox(QStringLiteral("انتخاب ماهها برای  داده برداری "), this);
    auto* mg = new QGridLayout(months);
    mg->addWidget(new QLabel(QStringLiteral("از ماه"), months), 0, 0);
    mg->addWidget(From_ComboBox, 0, 1);
    mg->addWidget(new QLabel(QStringLiteral("تا ماه"), months), 1, 0);
    mg->addWidget(To_ComboBox, 1, 1);
    mg->addWidget(Btn_read, 2, 1);

    auto* box = new QVBoxLayout(this);
    box->addWidget(new QLabel(QStringLiteral("لطفا دستگاه مورد نظر خود را انتخاب کنید"), this));
    box->addWidget(ComboBox1);
    auto* year = new QHBoxLayout;
    year->addWidget(new QLabel(QStringLiteral("انتخاب سال"), this));
    year->addWidget(CB_Year);
    year->addStretch(1);
    box->addLayout(year);
    box->addWidget(months);

    connectGuarded(Btn_read, &QPushButton::clicked, this, [this] { Btn_readClick(); });
}

void TForm_read::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) guarded([this] { FormShow(); });
}

void TForm_read::FormShow()
{
    CB_Year->setCurrentIndex(clockOf(programNow(), m_state.Prog.calendar).wYear);
    ComboBox1->clear();
    m_rows.clear();
    for (int i = 0; i <= m_state.DevLast && i < kMaxDevices; ++i) m_rows << devicelist::rowOf(m_state.DevList[i]);
    for (const QStringList& row : m_rows) {
        QString item;
        for (const QString& cell : row) item += cell + QLatin1Char(',');
        ComboBox1->addItem(bidi::leftToRight(item));
    }
    ComboBox1->setCurrentIndex(-1);
}

void TForm_read::Btn_readClick()
{
    m_state.SelDevice.IP.clear();
    m_link.setLinkPending(true);
    m_commands.lockExpertCommands();
    const int index = ComboBox1->currentIndex();
    const QList<DeviceRow>& rows = m_rows;
    if (index < 0 || index >= rows.size()) {
        dialogs().message(QStringLiteral("لطفا دستگاه را انتخاب کنید"));
        ComboBox1->setFocus();
        return;
    }
    const QStringList& row = rows[index];
    int named = 0;
    for (int k = 0; k < 4; ++k)
        if (!row.value(2 + k).isEmpty()) ++named;
    startOverallProgress(m_link.observer(), 1 + named);

    const QString fileName = dialogs().saveFile(QString(), QString(), QString());
    if (fileName.isEmpty()) return;
    m_state.stop.clear();
    const int from = From_ComboBox->currentIndex() + 1;
    const int to = To_ComboBox->currentIndex() + 1;
    if (from == 0 || to == 0) {
        dialogs().message(QStringLiteral("لطفا ماه را انتخاب کنید "));
        return;
    }
    const int year = strToInt(CB_Year->currentText());
    DownloadContext ctx = programDownloadContext(m_state, m_link);
    // The user waits for this device: a failure is told in a box.
    ctx.personWaiting = DownloadContext::PersonWaiting{
        [](const QString& text) { dialogs().message(text); },
        [](const QString& text) { dialogs().confirm(QString(), text); },
    };
    const MonthSpanResult r = runMonthSpanDownload(ctx, monthSpanDevice(row, year, from, to), fileName);
    if (r.run.yearChanged) m_state.YearChanged = 1;
    if (!r.fileToOpen.isEmpty()) {
        m_commands.openReportFile(r.fileToOpen);
    } else {
        dialogs().message(QStringLiteral("نتوانستم با این دستگاه ارتباط برقرار کنم"));
    }
    m_link.observer().showWait(false);
    close();
    // The records are written; the journal that could not say the run ended is told last.
    if (!r.endNotJournalled.isEmpty()) throw JournalError(r.endNotJournalled);
}
