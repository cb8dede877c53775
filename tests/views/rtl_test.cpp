// Right to left in the month views' windows: the heading editor and the about
// window's history pane read from the right, and the printed table runs like the
// screen's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

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

TEST(RightToLeft, HeadingEditorAndHistoryPaneAreAlignedRight)
{
    TForm_comment heading;
    TAboutBox about;
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

}  // namespace
