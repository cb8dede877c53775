#include "link/ui/trafficpage.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>

#include "config/ui/periodstartbox.h"
#include "link/linkobserver.h"
#include "platform/guardedconnect.h"

void limitPaneLines(QPlainTextEdit* memo, int lineLimit)
{
    if (memo->blockCount() > lineLimit || memo->document()->characterCount() > kPaneCharacterLimit) memo->clear();
}

TrafficPage::TrafficPage(const ProgramState& state, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSendResive"));
    Memo_Send = new QPlainTextEdit(this);
    Memo_Send->setObjectName(QStringLiteral("Memo_Send"));
    Memo_Rx = new QPlainTextEdit(this);
    Memo_Rx->setObjectName(QStringLiteral("Memo_Rx"));
    for (QPlainTextEdit* m : {Memo_Send, Memo_Rx}) {
        m->setReadOnly(true);
        m->setLayoutDirection(Qt::LeftToRight);
    }
    GroupBoxPeriod = new PeriodStartBox(state, this);
    auto* traffic = new QGridLayout(this);
    traffic->addWidget(new QLabel(QStringLiteral("ارسال ها"), this), 0, 0);
    traffic->addWidget(new QLabel(QStringLiteral("دریافت ها"), this), 0, 1);
    traffic->addWidget(Memo_Send, 1, 0);
    traffic->addWidget(Memo_Rx, 1, 1);
    traffic->addWidget(GroupBoxPeriod, 2, 0, 1, 2, Qt::AlignLeading);

    connectGuarded(Memo_Send, &QPlainTextEdit::textChanged, this, &TrafficPage::Memo_SendChange);
    connectGuarded(Memo_Rx, &QPlainTextEdit::textChanged, this, &TrafficPage::Memo_RxChange);
}

void TrafficPage::addSent(const QString& frame)
{
    Memo_Send->appendPlainText(frame);
}

void TrafficPage::addReceived(const QString& reply)
{
    Memo_Rx->appendPlainText(reply);
}

void TrafficPage::Memo_SendChange()
{
    limitPaneLines(Memo_Send, kTrafficPaneLineLimit);
}

void TrafficPage::Memo_RxChange()
{
    limitPaneLines(Memo_Rx, kTrafficPaneLineLimit);
}
