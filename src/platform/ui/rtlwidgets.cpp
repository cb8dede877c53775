#include "platform/ui/rtlwidgets.h"

#include <QAbstractItemView>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QTextOption>

namespace {

Qt::LayoutDirection directionOf(const QString& text)
{
    for (QChar c : text) {
        const QChar::Direction d = c.direction();
        if (d == QChar::DirR || d == QChar::DirAL) return Qt::RightToLeft;
        if (d == QChar::DirL) return Qt::LeftToRight;
    }
    return Qt::LeftToRight;
}

class OwnDirectionDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const Qt::LayoutDirection view = option->direction;
        option->direction = directionOf(option->text);
        // The cell keeps its place in the view's order: a cell aligned to the leading
        // edge of a right-to-left view stays at the right.
        if (option->direction != view && !(option->displayAlignment & Qt::AlignAbsolute)) {
            Qt::Alignment h = option->displayAlignment & Qt::AlignHorizontal_Mask;
            const Qt::Alignment v = option->displayAlignment & Qt::AlignVertical_Mask;
            if (h == Qt::AlignLeft || h == 0)
                h = view == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft;
            else if (h == Qt::AlignRight)
                h = view == Qt::RightToLeft ? Qt::AlignLeft : Qt::AlignRight;
            option->displayAlignment = h | v | Qt::AlignAbsolute;
        }
    }
};

}  // namespace

void alignRight(QPlainTextEdit* pane)
{
    QTextOption o = pane->document()->defaultTextOption();
    o.setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
    o.setTextDirection(Qt::LayoutDirectionAuto);
    pane->document()->setDefaultTextOption(o);
}

void cellsInTheirOwnDirection(QAbstractItemView* grid)
{
    grid->setItemDelegate(new OwnDirectionDelegate(grid));
}
