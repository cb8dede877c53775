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
#include "app/ui/forms.h"
#include "config/ui/devicenamespage.h"
#include "download/monthspan.h"
#include "link/devicelink.h"
#include "link/ui/form_comm.h"
#include "platform/bidi.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/guardedconnect.h"
#include "views/ui/form1.h"

namespace {
const QString kUnsavedDeviceListQuestion =
    QStringLiteral("تغییرات فهرست دستگاه ها ذخیره نشده است.\rآیا میخواهید پیش از داده برداری آنها را ذخیره کنید؟");
const QString kSaveDeviceList = QStringLiteral("ذخیره تغییرات");
const QString kDropDeviceListEdits = QStringLiteral("نادیده گرفتن تغییرات");
const QString kBackToDeviceList = QStringLiteral("بازگشت به فهرست دستگاه ها");

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

TForm_read::TForm_read(QWidget* parent) : QDialog(parent)
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
    CB_Year->setCurrentIndex(Date2Shamsi(programNow().date()).wYear);
    ComboBox1->clear();
    if (!Form_Comm) return;
    Form_Comm->TabSheet1->FormShow();
    for (const QStringList& row : Form_Comm->TabSheet1->rows()) {
        QString item;
        for (const QString& cell : row) item += cell + QLatin1Char(',');
        ComboBox1->addItem(bidi::leftToRight(item));
    }
    ComboBox1->setCurrentIndex(-1);
}

bool TForm_read::settleUnsavedDeviceList()
{
    if (!Form_Comm || !Form_Comm->TabSheet1->hasUnsavedEdits()) return true;
    DeviceNamesPage* list = Form_Comm->TabSheet1;
    const int choice = dialogs().choose(windowTitle(), kUnsavedDeviceListQuestion,
                                        {kSaveDeviceList, kDropDeviceListEdits, kBackToDeviceList});
    if (choice == 0) list->BtnSaveSoftClick();  // a refused save says why and keeps the edits
    if (choice == 1 || !list->hasUnsavedEdits()) return true;
    Form_Comm->show();
    Form_Comm->PageControl1->setCurrentWidget(list);
    return false;
}

void TForm_read::Btn_readClick()
{
    SelDevice.IP.clear();
    deviceLink().LinkPending = true;
    if (Form_Comm) Form_Comm->setExpertAccess(false);
    const int index = ComboBox1->currentIndex();
    const QList<QStringList> rows = Form_Comm ? Form_Comm->TabSheet1->rows() : QList<QStringList>();
    if (index < 0 || index >= rows.size()) {
        dialogs().message(QStringLiteral("لطفا دستگاه را انتخاب کنید"));
        ComboBox1->setFocus();
        return;
    }
    const QStringList& row = rows[index];
    int named = 0;
    for (int k = 0; k < 4; ++k)
        if (!row.value(2 + k).isEmpty()) ++named;
    startOverallProgress(deviceLink().observer(), 1 + named);  // composition

    const QString fileName = dialogs().saveFile(QString(), QString(), QString());
    if (fileName.isEmpty()) return;
    programState().stop.clear();
    const int from = From_ComboBox->currentIndex() + 1;
    const int to = To_ComboBox->currentIndex() + 1;
    if (from == 0 || to == 0) {
        dialogs().message(QStringLiteral("لطفا ماه را انتخاب کنید "));
        return;
    }
    const int year = strToInt(CB_Year->currentText());
    DownloadContext ctx = programDownloadContext(programState(), deviceLink());  // composition
    // The user waits for this device: a failure is told in a box.
    ctx.personWaiting = DownloadContext::PersonWaiting{
        [](const QString& text) { dialogs().message(text); },
        [](const QString& text) { dialogs().confirm(QString(), text); },
    };
    const MonthSpanResult r = runMonthSpanDownload(ctx, monthSpanDevice(row, year, from, to), fileName);
    if (r.run.yearChanged) YearChanged = 1;
    if (!r.fileToOpen.isEmpty()) {
        if (Form1) Form1->OpenMyFile(r.fileToOpen);
    } else {
        dialogs().message(QStringLiteral("نتوانستم با این دستگاه ارتباط برقرار کنم"));
    }
    deviceLink().observer().showWait(false);
    close();
}
