#include "halloffame/WindowLook.h"

#include <QRect>
#include <QScreen>
#include <QWidget>

void MakeCentredToolWindow(QWidget &window, QSize client)
{
    window.setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint);
    window.setFixedSize(client);
    // Placed here rather than left to the dialog, which would centre it over its owner.
    if (const QScreen *screen = window.screen()) {
        QRect placed(QPoint(), client);
        placed.moveCenter(screen->availableGeometry().center());
        window.move(placed.topLeft());
    }
}

QFont SansFont(int pixelSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    return font;
}
