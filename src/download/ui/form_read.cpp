#include "download/ui/form_read.h"

TForm_read::TForm_read(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_read"));
    setWindowTitle(QStringLiteral("خواندن اطلاعات از دستگاه"));
    setLayoutDirection(Qt::RightToLeft);
}
