#include "views/ui/aboutbox.h"

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("درباره ما"));
    setLayoutDirection(Qt::RightToLeft);
}
