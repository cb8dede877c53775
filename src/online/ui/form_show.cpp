#include "online/ui/form_show.h"

TForm_Show::TForm_Show(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_Show"));
    setWindowTitle(QStringLiteral("نمایش آنلاین"));
    setLayoutDirection(Qt::RightToLeft);
}
