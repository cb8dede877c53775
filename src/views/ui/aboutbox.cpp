#include "views/ui/aboutbox.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/programstate.h"
#include "app/windowcommands.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/guardedconnect.h"
#include "platform/shell.h"
#include "platform/ui/rtlwidgets.h"
#include "views/about.h"

namespace {

const QString kLinkStyle = QStringLiteral("color: %1; font-weight: bold; text-decoration: underline;");

// The program's picture: a thermometer over a humidity drop.
QPixmap programPicture(const QSize& size)
{
    QPixmap pm(size);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(40, 90, 160));
    sky.setColorAt(1, QColor(200, 230, 255));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(pm.rect(), sky);
    const double w = size.width();
    const double h = size.height();
    p.setPen(QPen(Qt::white, w * 0.03));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(w * 0.42, h * 0.12, w * 0.16, h * 0.6), w * 0.08, w * 0.08);
    p.setBrush(QColor(210, 30, 30));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(w * 0.5, h * 0.72), w * 0.14, w * 0.14);
    p.drawRect(QRectF(w * 0.47, h * 0.35, w * 0.06, h * 0.35));
    p.setBrush(QColor(60, 160, 230));
    QPainterPath drop;
    drop.moveTo(w * 0.78, h * 0.55);
    drop.quadTo(w * 0.68, h * 0.75, w * 0.78, h * 0.8);
    drop.quadTo(w * 0.88, h * 0.75, w * 0.78, h * 0.55);
    p.drawPath(drop);
    return pm;
}

QLabel* boldLabel(const QString& text, QWidget* parent, const char* name = nullptr)
{
    auto* l = new QLabel(text, parent);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(16);
    f.setBold(true);
    l->setFont(f);
    if (name) l->setObjectName(QLatin1String(name));
    return l;
}

}  // namespace

TAboutBox::TAboutBox(const ProgramState& state, WindowCommands& commands, QWidget* parent)
    : QDialog(parent), m_state(state), m_commands(commands)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setLayoutDirection(Qt::RightToLeft);
    setFont(QFont(QStringLiteral("Tahoma"), 9));

    auto* grid = new QGridLayout(this);
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    auto* pv = new QVBoxLayout(panel);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(programPicture(QSize(48, 48)));
    top->addWidget(icon);
    ProductName = boldLabel(QStringLiteral("نام محصول :"), panel, "ProductName");
    top->addWidget(ProductName);
    Label8 = boldLabel(QStringLiteral("سیستم مانیتورینگ دما ورطوبت "), panel, "Label8");
    top->addWidget(Label8, 1);
    pv->addLayout(top);
    Label9 = boldLabel(QStringLiteral("تاریخ ویرایش:98/11/5  "), panel, "Label9");
    pv->addWidget(Label9);
    pv->addWidget(
        boldLabel(QStringLiteral("کلیه حقوق این نرم افزار برای سازندگان Termivo محفوظ است"), panel, "Copyright"));
    Label_site = boldLabel(kMakerSite, panel, "Label_site");
    Label_mail = boldLabel(kMakerMail, panel, "Label_mail");
    for (QLabel* l : {Label_site, Label_mail}) {
        l->setStyleSheet(kLinkStyle.arg(QStringLiteral("blue")));
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
        pv->addWidget(l);
    }
    OKButton = new QPushButton(QStringLiteral("OK"), panel);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    pv->addWidget(OKButton, 0, Qt::AlignLeft);  // the lower right corner under right-to-left layout
    grid->addWidget(panel, 0, 1);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLayoutDirection(Qt::RightToLeft);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    alignRight(Memo1);
    Memo1->setPlainText(editHistoryLines().join(QLatin1Char('\n')));
    grid->addWidget(Memo1, 1, 1);

    auto* art = new QLabel(this);
    art->setObjectName(QStringLiteral("Image1"));
    art->setPixmap(programPicture(QSize(220, 380)));
    art->setScaledContents(true);
    grid->addWidget(art, 0, 0, 2, 1);

    connectGuarded(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
    setFixedSize(sizeHint().expandedTo(QSize(640, 420)));
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

void TAboutBox::OKButtonClick()
{
    accept();
}

void TAboutBox::Label_siteClick()
{
    shell().open(kMakerSite);
}

void TAboutBox::Label_mailClick()
{
    if (!shell().hasHandler(QStringLiteral("mailto"))) {
        dialogs().message(kNoMailProgramMessage +
                          QStringLiteral("\nبرای پیوندهای mailto: هیچ برنامه ایمیلی در میزکار تنظیم "
                                         "نشده است؛ نشانی پشتیبانی: ") +
                          kMakerMail);
        return;
    }
    const QStringList log = m_commands.messageLogLines();
    shell().open(troubleshootingMailUrl(registrySummary(m_state), log));
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    auto* label = qobject_cast<QLabel*>(watched);
    if (label == Label_site || label == Label_mail) {
        switch (event->type()) {
            case QEvent::Enter:  // Label_siteMouseEnter, Label_mailMouseEnter
                label->setStyleSheet(kLinkStyle.arg(QStringLiteral("red")));
                break;
            case QEvent::Leave:  // Label_siteMouseLeave, Label_mailMouseLeave
                label->setStyleSheet(kLinkStyle.arg(QStringLiteral("blue")));
                break;
            case QEvent::MouseButtonRelease:
                guarded([&] {
                    if (label == Label_site)
                        Label_siteClick();
                    else
                        Label_mailClick();
                });
                return true;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
