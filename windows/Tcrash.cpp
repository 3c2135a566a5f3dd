#include "windows/Tcrash.h"

#include "platform/TypedKeys.h"
#include "platform/WindowLook.h"

#include "ui_Tcrash.h"

#include <QKeyEvent>
#include <QMouseEvent>
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
    ui->Image1->installEventFilter(this);
}

Tcrash::~Tcrash() = default;

void Tcrash::Image1Click(QObject * /*Sender*/)
{
    done(QDialog::Accepted);
}

void Tcrash::FormKeyPress(QObject * /*Sender*/, QChar &Key)
{
    if (Key == TypedKey::Enter)
        done(QDialog::Accepted);
}

void Tcrash::keyPressEvent(QKeyEvent *event)
{
    for (QChar key : TypedCharacters(*event))
        FormKeyPress(this, key);
    // QDialog is not asked: it would close the window on Escape, and the crash message stays
    // until the player dismisses it the intended way.
    event->accept();
}

bool Tcrash::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Image1) {
        if (event->type() == QEvent::MouseButtonPress) {
            pressedOnImage = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            const bool click = pressedOnImage && mouse->button() == Qt::LeftButton
                               && ui->Image1->rect().contains(mouse->position().toPoint());
            pressedOnImage = false;
            if (click)
                Image1Click(ui->Image1);
        }
    }
    return QDialog::eventFilter(watched, event);
}
