#include "views/ui/form_comment.h"

TForm_comment::TForm_comment(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_comment"));
    setWindowTitle(QStringLiteral("افزودن سربرگ"));
    setLayoutDirection(Qt::RightToLeft);
}
