#include "windows/Tcrash.h"

#include "ui_Tcrash.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>

Tcrash::Tcrash(QWidget *owner)
    : QDialog(owner), ui(std::make_unique<Ui::Tcrash>())
{
    ui->setupUi(this);
    // A tool window: a slim title bar with only a close box. Its caption is the crash message,
    // so nothing else may take room from it.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(320, 241);

    ui->Image1->setPixmap(QPixmap(QStringLiteral(":/pictures/crash.png")));
    ui->Image1->installEventFilter(this);

    // Centred on the screen rather than over the main window, where a dialog would go.
    const QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

Tcrash::~Tcrash() = default;

void Tcrash::Image1Click(QObject * /*Sender*/)
{
    done(QDialog::Accepted);
}

void Tcrash::FormKeyPress(QObject * /*Sender*/, QChar &Key)
{
    if (Key == QChar(13))
        done(QDialog::Accepted);
}

void Tcrash::keyPressEvent(QKeyEvent *event)
{
    // Return and the keypad's Enter both type character 13.
    QChar key;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        key = QChar(13);
    else if (!event->text().isEmpty())
        key = event->text().front();
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
