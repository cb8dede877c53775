#include "views/ui/form_message.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/guardedconnect.h"

TForm_Message::TForm_Message(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_Message"));
    setWindowTitle(QStringLiteral("پیامها"));
    setLayoutDirection(Qt::RightToLeft);
    setModal(false);
    resize(520, 360);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("پاک کردن لیست"), this);
    Button2->setObjectName(QStringLiteral("Button2"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addLayout(buttons);

    connectGuarded(Button1, &QPushButton::clicked, this, &TForm_Message::Button1Click);
    connectGuarded(Button2, &QPushButton::clicked, this, &TForm_Message::Button2Click);
}

void TForm_Message::addLine(const QString& line)
{
    Memo1->appendPlainText(line);
}

bool TForm_Message::hasLines() const
{
    return !Memo1->document()->isEmpty();
}

QStringList TForm_Message::lines() const
{
    if (!hasLines()) return {};
    return Memo1->toPlainText().split(QLatin1Char('\n'));
}

void TForm_Message::showInFront()
{
    if (!isVisible()) {
        if (QScreen* s = QGuiApplication::primaryScreen())
            move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
}

void TForm_Message::Button1Click()
{
    close();
}

void TForm_Message::Button2Click()
{
    Memo1->clear();
}
