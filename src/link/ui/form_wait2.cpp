#include "link/ui/form_wait2.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

#include "app/programstate.h"
#include "link/linkobserver.h"
#include "platform/guardedconnect.h"

namespace {
template <class T>
T* named(T* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}
}  // namespace

TForm_wait2::TForm_wait2(ProgramState& state, QWidget* mainWindow, QWidget* parent)
    : QDialog(parent), m_state(state), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("Form_wait2"));
    setWindowTitle(QStringLiteral("Reading "));
    setLayoutDirection(Qt::RightToLeft);

    ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
    ProgressBarAll = named(new QProgressBar(this), "ProgressBarAll");
    Memo_report = named(new QPlainTextEdit(this), "Memo_report");
    Memo_report->setReadOnly(true);
    GroupBoxActivity = named(new QGroupBox(QStringLiteral("Activity"), this), "GroupBoxActivity");
    Label_Cnt = named(new QLabel(QStringLiteral("0,0"), GroupBoxActivity), "Label_Cnt");
    Label_Status = named(new QLabel(QStringLiteral("Status"), GroupBoxActivity), "Label_Status");
    Label_port = named(new QLabel(QStringLiteral("Port"), GroupBoxActivity), "Label_port");
    Label_Header = named(new QLabel(this), "Label_Header");
    BtnOk = named(new QPushButton(QStringLiteral("Cancel"), this), "BtnOk");

    auto* grid = new QGridLayout(GroupBoxActivity);
    grid->addWidget(new QLabel(QStringLiteral("Packets : Sent , Received"), GroupBoxActivity), 0, 0);
    grid->addWidget(Label_Cnt, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Status :"), GroupBoxActivity), 1, 0);
    grid->addWidget(Label_Status, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Port :"), GroupBoxActivity), 2, 0);
    grid->addWidget(Label_port, 2, 1);

    auto* box = new QVBoxLayout(this);
    box->addWidget(Label_Header);
    box->addWidget(ProgressBar1);
    box->addWidget(ProgressBarAll);
    box->addWidget(GroupBoxActivity);
    box->addWidget(Memo_report, 1);
    box->addWidget(BtnOk);
    resize(420, 360);

    connectGuarded(BtnOk, &QPushButton::clicked, this, &TForm_wait2::BtnOkClick);
    connectGuarded(Memo_report, &QPlainTextEdit::textChanged, this, &TForm_wait2::Memo_reportChange);
}

void TForm_wait2::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    FormShow();
}

void TForm_wait2::showForRun(QWidget* owner)
{
    if (!owner) owner = QApplication::activeWindow();
    if (!owner || owner->window() == this) owner = m_mainWindow;
    if (owner) {
        winId();  // the native windows that the window system links
        owner->window()->winId();
        if (QWindow* w = windowHandle()) w->setTransientParent(owner->window()->windowHandle());
    }
    show();
    raise();
}

void TForm_wait2::FormShow()
{
    Label_Header->setText(QStringLiteral("Header:") + m_state.Prog.Header);
}

void TForm_wait2::BtnOkClick()
{
    m_state.stop.request();
    close();
}

void TForm_wait2::Memo_reportChange()
{
    if (Memo_report->blockCount() > kReportPaneLineLimit ||
        Memo_report->document()->characterCount() > kPaneCharacterLimit)
        Memo_report->clear();
}

void TForm_wait2::waitLabel(WaitLabel which, const QString& text)
{
    switch (which) {
        case WaitLabel::Port:
            Label_port->setText(text);
            break;
        case WaitLabel::Status:
            Label_Status->setText(text);
            break;
        case WaitLabel::Cnt:
            Label_Cnt->setText(text);
            break;
    }
}

void TForm_wait2::waitBarRange(WaitBar which, int min, int max)
{
    (which == WaitBar::Day ? ProgressBar1 : ProgressBarAll)->setRange(min, max);
}

void TForm_wait2::waitBarPosition(WaitBar which, int pos)
{
    (which == WaitBar::Day ? ProgressBar1 : ProgressBarAll)->setValue(pos);
}

void TForm_wait2::reportLine(const QString& line)
{
    Memo_report->appendPlainText(line);
}

void TForm_wait2::startRun()
{
    // The report list tells one run: the lines of the run before are not this one's.
    Memo_report->clear();
}

void TForm_wait2::showWait(bool shown)
{
    if (shown)
        showForRun();
    else
        hide();
}
