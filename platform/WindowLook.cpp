#include "platform/WindowLook.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

void MakeCentredToolWindow(QWidget &window, QSize client)
{
    window.setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window.setFixedSize(client);
    CentreOnScreen(window);
}

void CentreOnScreen(QWidget &window)
{
    const QWidget *owner = window.parentWidget();
    const QScreen *screen = owner ? owner->screen() : window.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect placed(QPoint(), window.size());
    placed.moveCenter(screen->availableGeometry().center());
    window.move(placed.topLeft());
}

QFont SansFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    return font;
}
