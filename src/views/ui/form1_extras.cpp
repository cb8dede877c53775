// The main window's annotations (heading, background, remarks), export and print
// commands, and the help menu.
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QTabWidget>
#include <QTableWidget>
#include <qcustomplot.h>

#include "app/calendar.h"
#include "app/programstate.h"
#include "app/records.h"
#include "app/registry.h"
#include "app/windowcommands.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/guardedconnect.h"
#include "platform/shell.h"
#include "platform/textfile.h"
#include "views/about.h"
#include "views/annotations.h"
#include "views/month.h"
#include "views/ui/form1.h"
#include "views/ui/metafile.h"
#include "views/ui/monthprint.h"
#include "views/ui/monthview.h"

namespace {
const QString kPictureFilter =
    QStringLiteral("Pictures (*.png *.jpg *.jpeg *.bmp *.gif *.xpm)|*.png;*.jpg;*.jpeg;*.bmp;*.gif;*.xpm");
}  // namespace

void TForm1::bindExtrasMenu()
{
    const QList<QPair<QAction*, void (TForm1::*)()>> items{
        {EditComment1, &TForm1::EditComment1Click},
        {backimage1, &TForm1::backimage1Click},
        {AddComment1, &TForm1::AddComment1Click},
        {SaveAsTextFile1, &TForm1::SaveAsTextFile1Click},
        {SaveasBitmap1, &TForm1::SaveasBitmap1Click},
        {Print1, &TForm1::Print1Click},
        {About1, &TForm1::About1Click},
        {site1, &TForm1::site1Click},
        {pdfHelp, &TForm1::pdfHelpClick},
        {openfolder1, &TForm1::openfolder1Click},
        {mailto1, &TForm1::mailto1Click},
    };
    for (const auto& [action, handler] : items) connectGuarded(action, &QAction::triggered, this, handler);
}

void TForm1::EditComment1Click()
{
    const std::optional<QStringList> heading = m_commands.askHeading();
    if (!heading) return;
    m_view.chart.title = titleOf(*heading);
    renderMonth();
}

void TForm1::backimage1Click()
{
    const QString chosen =
        dialogs().openFile(QStringLiteral("افزودن پس زمینه "), kPictureFilter, m_state.Prog.picFileName);
    // The setting is saved (and journalled) first: a setting that cannot be saved
    // leaves the background on screen as it was.
    if (chosen.isEmpty()) {
        savePicturePath(m_state.Prog.RootDir, QString(), m_state.journal);
        m_view.chart.backgroundPicture.clear();
        renderMonth();
        return;
    }
    const QString full = QFileInfo(chosen).absoluteFilePath();
    if (const auto problem = picturePathProblem(full)) {
        dialogs().message(*problem);
        return;
    }
    requireReadablePicture(full);  // the old background and the setting stay as they were
    savePicturePath(m_state.Prog.RootDir, full, m_state.journal);
    m_view.chart.backgroundPicture = full;
    renderMonth();
}

void TForm1::AddComment1Click()
{
    const QString file = CurChart.FileName;
    if (file.isEmpty() || !QFileInfo(file).isFile()) {
        dialogs().message(QStringLiteral("نموداری برای افزودن توضیحات انتخاب نشده است"));
        return;
    }
    readTextFile(file);  // a file that cannot be read is reported before asking
    const std::optional<QString> answer =
        dialogs().input(QStringLiteral("افزودن توضیحات به نمودار"), QString(), QString());
    if (!answer || answer->isEmpty()) return;
    const QString text = stampedRemark(programNow(), m_state.Prog.calendar, *answer);
    const int month = CurChart.Curr_Mon;
    // Shown only once it is in the file.
    appendRemark(file, month, text, m_state.journal);
    m_view.chart.foot << text;
    if (month >= 1 && month <= 12) {
        // The shown year is shared as it was loaded: the remark goes into a copy.
        auto year = std::make_shared<ReportYear>(m_year ? *m_year : emptyReportYear());
        year->remarks[month] << text;
        m_year = std::move(year);
    }
    renderMonth();
}

void TForm1::SaveAsTextFile1Click()
{
    const MonthTableContent table = tableContentOf(SG_Table);
    const QString chosen = dialogs().saveFile(QStringLiteral("ذخیره به صورت متن "), QString(), QString());
    if (chosen.isEmpty()) return;
    saveMonthTableText(chosen + QStringLiteral(".txt"), table);
}

void TForm1::SaveasBitmap1Click()
{
    const QString chosen = dialogs().saveFile(QStringLiteral("ذخیره به صورت عکس "), QString(), QString());
    if (chosen.isEmpty()) return;
    writeBytesAtomically(chosen + QStringLiteral(".wmf"), chartMetafile(Chart1));
}

void TForm1::Print1Click()
{
    PrintCurrentPage();
}

void TForm1::PrintCurrentPage()
{
    QPrinter& printer = programPrinter();
    QWidget* page = PageControl1->currentWidget();
    if (page == TabChart) printer.setPageOrientation(QPageLayout::Landscape);
    PrintSetup setup;
    setup.printerName = printer.printerName();
    setup.outputFile = printer.outputFileName();
    setup.landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    setup.copies = printer.copyCount();
    if (!dialogs().printSetup(setup)) return;
    if (!setup.outputFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(setup.outputFile);
    } else {
        printer.setOutputFileName(QString());
        printer.setOutputFormat(QPrinter::NativeFormat);
        if (!setup.printerName.isEmpty()) printer.setPrinterName(setup.printerName);
    }
    printer.setPageOrientation(setup.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setCopyCount(setup.copies);
    if (page == TabChart) printChart(printer, Chart1, m_view.chart.title.value(0));
    if (page == TabTable)
        PrintTable(printer, SG_Table, m_view.chart.title, m_view.chart.foot.value(0), QPageLayout::Portrait);
}

void TForm1::About1Click()
{
    m_commands.showAbout();
}

void TForm1::site1Click()
{
    shell().open(kMakerSite);
}

void TForm1::pdfHelpClick()
{
    // The help document lies in the root folder (beside a copied program), else where
    // the installed program keeps it. A desktop without a program for it opens nothing
    // and says so only on standard error: the user is told where the document is.
    const QString document = helpDocumentPath(m_state.Prog.RootDir, kInstalledDocDir);
    if (!shell().open(document)) dialogs().message(helpDocumentNotOpenedMessage(document));
}

void TForm1::openfolder1Click()
{
    if (!shell().open(m_state.Prog.RootDir)) dialogs().message(programFolderNotOpenedMessage(m_state.Prog.RootDir));
}

void TForm1::mailto1Click()
{
    m_commands.showSupportMail();
}
