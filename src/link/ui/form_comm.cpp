#include "link/ui/form_comm.h"

TForm_Comm::TForm_Comm(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form_Comm"));
    setWindowTitle(QStringLiteral("تنظیمات"));
    setLayoutDirection(Qt::RightToLeft);
}
