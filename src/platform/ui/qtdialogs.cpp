#include "platform/ui/qtdialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>

namespace {
int runCentred(QMessageBox& box)
{
    box.setLayoutDirection(Qt::RightToLeft);
    box.adjustSize();
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect r = s->availableGeometry();
        box.move(r.center() - QPoint(box.width() / 2, box.height() / 2));
    }
    return box.exec();
}

// Delphi-style filters "Text|*.txt|All|*.*" become Qt's "Text (*.txt);;All (*.*)".
QString qtFilter(const QString& filter)
{
    if (!filter.contains(QLatin1Char('|'))) return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        if (!name.contains(QLatin1Char('('))) name += QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
        out << name;
    }
    return out.join(QStringLiteral(";;"));
}
}  // namespace

void QtDialogs::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok);
    runCentred(box);
}

void QtDialogs::error(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok);
    runCentred(box);
}

bool QtDialogs::confirm(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok | QMessageBox::Cancel);
    return runCentred(box) == QMessageBox::Ok;
}

int QtDialogs::choose(const QString& caption, const QString& text, const QStringList& buttons)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton);
    QList<QAbstractButton*> pressable;
    for (const QString& b : buttons) pressable << box.addButton(b, QMessageBox::AcceptRole);
    // Without a button of the reject role neither Escape nor the frame closes the box:
    // one of the buttons is pressed.
    runCentred(box);
    return static_cast<int>(pressable.indexOf(box.clickedButton()));
}

std::optional<QString> QtDialogs::input(const QString& caption, const QString& prompt, const QString& value)
{
    bool ok = false;
    const QString text = QInputDialog::getText(nullptr, caption, prompt, QLineEdit::Normal, value, &ok);
    if (!ok) return std::nullopt;
    return text;
}

QString QtDialogs::openFile(const QString& caption, const QString& filter, const QString& initial)
{
    return QFileDialog::getOpenFileName(nullptr, caption, initial, qtFilter(filter));
}

QString QtDialogs::saveFile(const QString& caption, const QString& filter, const QString& initial)
{
    return QFileDialog::getSaveFileName(nullptr, caption, initial, qtFilter(filter));
}

bool QtDialogs::printSetup(PrintSetup& setup)
{
    QPrinter printer;
    if (!setup.printerName.isEmpty()) printer.setPrinterName(setup.printerName);
    if (!setup.outputFile.isEmpty()) printer.setOutputFileName(setup.outputFile);
    printer.setPageOrientation(setup.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setCopyCount(setup.copies);
    QPrintDialog dialog(&printer);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (dialog.exec() != QDialog::Accepted) return false;
    setup.printerName = printer.printerName();
    setup.outputFile = printer.outputFileName();
    setup.landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    setup.copies = printer.copyCount();
    return true;
}
