#include "views/ui/form_comment.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/programstate.h"
#include "app/records.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/guardedconnect.h"
#include "platform/ui/rtlwidgets.h"
#include "views/annotations.h"

TForm_comment::TForm_comment(ProgramState& state, QWidget* parent) : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("Form_comment"));
    setWindowTitle(QStringLiteral("افزودن سربرگ به بالای منحنی "));
    setLayoutDirection(Qt::RightToLeft);
    auto* layout = new QVBoxLayout(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(16);
    Memo1->setFont(f);
    alignRight(Memo1);
    layout->addWidget(Memo1, 1);
    OK = new QPushButton(QStringLiteral("OK"), this);
    OK->setObjectName(QStringLiteral("OK"));
    OK->setDefault(false);
    OK->setAutoDefault(false);  // Enter starts a new line in the memo
    layout->addWidget(OK, 0, Qt::AlignHCenter);
    resize(520, 260);
    connectGuarded(OK, &QPushButton::clicked, this, &TForm_comment::OKClick);
}

void TForm_comment::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    guarded([this] { FormShow(); });
}

QStringList TForm_comment::memoLines() const
{
    const QString text = Memo1->toPlainText();
    if (text.isEmpty()) return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty()) lines.removeLast();
    return lines;
}

void TForm_comment::FormShow()
{
    Memo1->setPlainText(m_state.Prog.Comment.join(QLatin1Char('\n')));
}

void TForm_comment::OKClick()
{
    const QStringList lines = memoLines();
    // A line the settings reader would cut or take for a device is refused before
    // anything is written; the dialog stays open for the correction.
    for (const QString& line : lines) {
        if (const auto problem = headingLineProblem(line)) {
            dialogs().message(*problem);
            return;
        }
    }
    saveHeadingLines(m_state.Prog.RootDir, lines, m_state.journal);
    accept();
}
