#include "platform/PictureClick.h"

#include "platform/FailureReport.h"

#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>

namespace {

// Watches one picture; it belongs to the picture and goes with it.
class TPictureClick : public QObject
{
public:
    TPictureClick(QWidget &watched, std::function<void()> onClick)
        : QObject(&watched)
        , picture(watched)
        , clicked(std::move(onClick))
    {
        picture.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != &picture)
            return false;
        if (event->type() == QEvent::MouseButtonPress) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::LeftButton)
                return false;
            pressed = true;
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() != Qt::LeftButton)
                return false;
            const bool click = pressed && picture.rect().contains(mouse->position().toPoint());
            pressed = false;
            if (click)
                RunReporting(clicked);
            return true;
        }
        return false;
    }

private:
    QWidget &picture;
    std::function<void()> clicked;
    bool pressed = false;
};

} // namespace

void OnPictureClick(QWidget &picture, std::function<void()> clicked)
{
    new TPictureClick(picture, std::move(clicked));
}
