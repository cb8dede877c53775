// Right to left in the month views' windows: the heading editor and the about
// window's history pane read from the right, and the printed table runs like the
// screen's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGlyphRun>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include "config/maintenance.h"
#include "platform/bidi.h"
#include "support/windowsfixture.h"
#include "views/ui/aboutbox.h"
#include "views/ui/form_comment.h"

namespace {

// Where each line of a pane stands: its left and right edge in the pane's viewport.
QList<std::pair<qreal, qreal>> lineEdges(QPlainTextEdit* memo)
{
    QList<std::pair<qreal, qreal>> edges;
    for (QTextBlock b = memo->document()->firstBlock(); b.isValid(); b = b.next()) {
        if (b.text().trimmed().isEmpty() || !b.layout() || b.layout()->lineCount() == 0) continue;
        const QRectF r = b.layout()->lineAt(0).naturalTextRect();
        edges.append({r.left(), r.right()});
    }
    return edges;
}

class RightToLeftWindows : public WindowsFixture
{
};

TEST_F(RightToLeftWindows, HeadingEditorAndHistoryPaneAreAlignedRight)
{
    openWindows();
    TForm_comment& heading = windows().headingDialog();
    TAboutBox& about = windows().aboutBox();
    for (QWidget* w : {static_cast<QWidget*>(&heading), static_cast<QWidget*>(&about)}) {
        w->resize(700, 500);
        w->show();
    }
    heading.Memo1->setPlainText(QStringLiteral("آزمایشگاه کنترل کیفیت\nQuality lab 3.\n-20"));
    QApplication::processEvents();
    for (QPlainTextEdit* memo : {heading.Memo1, about.Memo1}) {
        SCOPED_TRACE(memo->window()->objectName().toStdString());
        const qreal width = memo->viewport()->width();
        const auto edges = lineEdges(memo);
        ASSERT_GE(edges.size(), 3);
        for (const auto& [left, right] : edges) {
            EXPECT_GT(right, width - 20);
            EXPECT_GT(left, 20);
        }
    }
}

// Where a part of a text stands when a right-to-left window shows the text: the middle
// of its span, in pixels from the left.
qreal visualMiddle(const QString& shown, const QString& part, int from = 0)
{
    QTextLayout layout(shown, QApplication::font());
    QTextOption o;
    o.setTextDirection(Qt::RightToLeft);
    layout.setTextOption(o);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(4000);
    layout.endLayout();
    const int at = int(shown.indexOf(part, from));
    EXPECT_GE(at, 0) << part.toStdString();
    QRectF box;
    for (const QGlyphRun& run : layout.glyphRuns(at, int(part.size()))) box |= run.boundingRect();
    return box.center().x();
}

TEST(RightToLeft, MixedTextsReadAsWritten)
{
    // Each case: a text as shown, and parts that must stand from left to right.
    const struct
    {
        const char* what;
        QString shown;
        QStringList leftToRight;
    } cases[] = {
        {"erase prompt (its words in left-to-right order)",
         maintenance::erasePrompt(Device_Rec{}).section(QLatin1Char('\r'), 0, 0),
         {"را وارد کنید", "yes", "در صورت اطمینان کلمه"}},
        {"negative number", bidi::display("-20.5"), {"-", "20.5"}},
        {"negative limit in Persian", bidi::display("حداقل مجاز -20 درجه"), {"-", "20"}},
        {"remark: date before time", bidi::display("98/9/12 14:5:درب باز"), {"98/9/12", "14:5"}},
        {"remark in Latin", bidi::display("98/9/12 14:5:Door open"), {"98/9/12", "14:5", "Door"}},
        {"device line, comma last", bidi::leftToRight("اتاق سرد,Com1,T1,,,,a,T,Wireless,"), {"Com1", "Wireless", ","}},
        {"sensor line", bidi::display("Sensor Name : یخچال"), {"Sensor", "Name"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        qreal last = -1e9;
        int from = 0;
        for (const QString& part : c.leftToRight) {
            from = int(c.shown.indexOf(part, part == "," ? int(c.shown.size()) - 3 : from));
            const qreal x = visualMiddle(c.shown, part, from);
            EXPECT_GT(x, last) << part.toStdString();
            last = x;
        }
    }
    // Without the isolates the same texts come out of order.
    EXPECT_LT(visualMiddle("-20.5", "20.5"), visualMiddle("-20.5", "-"));
    EXPECT_LT(visualMiddle("98/9/12 14:5:درب باز", "14:5"), visualMiddle("98/9/12 14:5:درب باز", "98/9/12"));
    // Files and devices never get the marks.
    EXPECT_EQ(bidi::withoutMarks(bidi::display("98/9/12 14:5:درب باز")), "98/9/12 14:5:درب باز");
}

}  // namespace
