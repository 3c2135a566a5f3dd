#include "windows/TAboutBox.h"

#include "components/TMarquee.h"
#include "platform/PictureClick.h"
#include "platform/TypedKeys.h"
#include "platform/WindowLook.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>

TAboutBox::TAboutBox(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                         | Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(QStringLiteral("Info"));
    setFont(SansFont(14));
    // The picture is one row taller than the box: its bottom row is cut off.
    setFixedSize(300, 199);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 300, 200);
    const QPixmap picture(QStringLiteral(":/pictures/about.png"));
    if (!picture.isNull()) {
        Image1->setPixmap(picture);
        Image1->resize(picture.size());
    }
    OnPictureClick(*Image1, [this] { Image1Click(Image1); });

    Marquee1 = new TMarquee(this);
    Marquee1->setObjectName(QStringLiteral("Marquee1"));
    Marquee1->setGeometry(56, 152, 193, 25);
    // In the order a stored form applies them: MQSpeed is cut to the maximum in force when it is
    // set, so the order matters.
    Marquee1->setMQSource({CreditsLine()});
    Marquee1->setStretch(false);
    Marquee1->setMQSpeed(1);
    Marquee1->setActive(false);
    Marquee1->setDirection(TMarquee::drForward);
    Marquee1->setMoving(TMarquee::mvHorizontal);
    Marquee1->setMQMaxSpeed(10);
    Marquee1->setColor(Qt::black);
    Marquee1->setLeftMargin(10);
    Marquee1->setRightMargin(10);
    const TMarqueeFont white{SansFont(13), Qt::white};
    Marquee1->setStringFont1(white);
    Marquee1->setStringFont2(white);
    Marquee1->setSwitchChar(0);

    CentreOnScreen(*this);
}

QString TAboutBox::CreditsLine()
{
    const auto spaces = [](int n) { return QString(n, QLatin1Char(' ')); };
    return spaces(9) + QStringLiteral("<<<<") + spaces(10) + QStringLiteral("Zandrix II") + spaces(11)
           + QStringLiteral("--- The Zandrix II team: all coding and graphics by the Zandrix II developers ---")
           + spaces(9) + QStringLiteral(">>>>");
}

void TAboutBox::FormActivate(QObject *)
{
    Marquee1->setActive(true);
}

void TAboutBox::FormKeyPress(QObject *, QChar &Key)
{
    if (Key == TypedKey::Enter)
        accept();
}

void TAboutBox::Image1Click(QObject *)
{
    accept();
}

bool TAboutBox::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate(this);
    return QDialog::event(event);
}

void TAboutBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Without a window manager the box may never be told it is active; showing it is enough.
    FormActivate(this);
}

void TAboutBox::keyPressEvent(QKeyEvent *event)
{
    // QDialog's own handling is bypassed on purpose: Escape must not close the box.
    for (QChar key : TypedCharacters(*event))
        FormKeyPress(this, key);
    event->accept();
}
