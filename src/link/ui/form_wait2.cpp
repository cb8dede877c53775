#include "link/ui/form_wait2.h"

TForm_wait2::TForm_wait2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_wait2"));
    setWindowTitle(QStringLiteral("گزارش ارتباط"));
    setLayoutDirection(Qt::RightToLeft);
}
