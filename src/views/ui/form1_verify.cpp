// The main window's part of the audit journal: the check of the report files from the
// file menu, and the warning when an opened file differs from the journal.
#include <QDialog>
#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextOption>
#include <QVBoxLayout>

#include "app/programstate.h"
#include "platform/bidi.h"
#include "platform/dialogs.h"
#include "platform/guardedconnect.h"
#include "reports/verify.h"
#include "views/ui/form1.h"

namespace {

const QString kVerifyCaption = QStringLiteral("بررسی درستی پرونده‌ها");
const QString kAllMatch = QStringLiteral("هر %1 فایل گزارش با دفتر رویدادها یکی است.");
const QString kNothingToVerify = QStringLiteral("در پوشه داده ها نه دفتر رویدادها هست و نه فایل گزارشی.");
const QString kDaysDiffer =
    QStringLiteral("این روزهای فایل با دفتر رویدادها یکی نیست و بیرون از برنامه تغییر کرده است: %1");

}  // namespace

void TForm1::VerifyFiles1Click()
{
    const VerifyResult result = verifyRoot(m_state.Prog.RootDir);
    if (result.status() == kVerifyNothing) {
        dialogs().message(kNothingToVerify);
        return;
    }
    if (result.findings.empty()) {
        dialogs().message(kAllMatch.arg(result.files.size()));
        return;
    }
    if (!m_verifyWindow) {
        m_verifyWindow = new QDialog(this);
        m_verifyWindow->setObjectName(QStringLiteral("VerifyWindow"));
        m_verifyWindow->setWindowTitle(kVerifyCaption);
        m_verifyWindow->setLayoutDirection(Qt::RightToLeft);
        m_verifyWindow->resize(760, 420);
        auto* layout = new QVBoxLayout(m_verifyWindow);
        auto* text = new QPlainTextEdit(m_verifyWindow);
        text->setObjectName(QStringLiteral("VerifyText"));
        text->setReadOnly(true);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        // Every finding reads right to left, also the ones that start with a file name.
        QTextOption direction = text->document()->defaultTextOption();
        direction.setTextDirection(Qt::RightToLeft);
        direction.setAlignment(Qt::AlignRight);
        text->document()->setDefaultTextOption(direction);
        layout->addWidget(text);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, m_verifyWindow);
        layout->addWidget(buttons);
        QDialog* window = m_verifyWindow;
        connectGuarded(buttons, &QDialogButtonBox::rejected, window, [window] { window->close(); });
    }
    // File names, days and line numbers stay in their own order within the Persian lines.
    QStringList lines = verifyText(result).split(QLatin1Char('\n'));
    for (QString& line : lines) line = bidi::isolateRuns(line);
    m_verifyWindow->findChild<QPlainTextEdit*>(QStringLiteral("VerifyText"))
        ->setPlainText(lines.join(QLatin1Char('\n')));
    m_verifyWindow->show();
    m_verifyWindow->raise();
}

void TForm1::warnOfUnjournalledDays(const QString& path, const QStringList& lines)
{
    QStringList days;
    try {
        days = differingDays(m_state.Prog.RootDir, path, lines);
    } catch (const JournalError&) {
        return;  // an unreadable journal is the check's to report, not the month's
    }
    if (!days.isEmpty()) dialogs().message(kDaysDiffer.arg(days.join(QStringLiteral("، "))));
}
