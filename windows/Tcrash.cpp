#include "windows/Tcrash.h"

#include "platform/PictureClick.h"
#include "platform/TypedKeys.h"
#include "platform/WindowLook.h"

#include "ui_Tcrash.h"

#include <QKeyEvent>
#include <QPixmap>

Tcrash::Tcrash(QWidget *owner)
    : QDialog(owner)
    , ui(std::make_unique<Ui::Tcrash>())
{
    ui->setupUi(this);
    // A tool window: a slim title bar with only a close box. Its caption is the crash message,
    // so nothing else may take room from it.
    MakeCentredToolWindow(*this, QSize(320, 241));

    ui->Image1->setPixmap(QPixmap(QStringLiteral(":/pictures/crash.png")));
    OnPictureClick(*ui->Image1, [this] { Image1Click(ui->Image1); });
}

Tcrash::~Tcrash() = default;

void Tcrash::Image1Click(QObject * /*Sender*/)
{
    accept();
}

void Tcrash::FormKeyPress(QObject * /*Sender*/, QChar &Key)
{
    if (Key == TypedKey::Enter)
        accept();
}

void Tcrash::keyPressEvent(QKeyEvent *event)
{
    for (QChar key : TypedCharacters(*event))
        FormKeyPress(this, key);
    // QDialog is not asked: it would close the window on Escape, and the crash message stays
    // until the player dismisses it the intended way.
    event->accept();
}
