#pragma once

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

// Answers the next modal window that opens: polls for QApplication::activeModalWidget() from the
// event loop and hands it to the answer once it is there.
inline void AnswerNextModal(std::function<void(QWidget *)> answer, int timeoutMs = 5000)
{
    auto timer = new QTimer(qApp);
    auto remaining = std::make_shared<int>(timeoutMs / 10);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, remaining, answer = std::move(answer)] {
        if (QWidget *modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        } else if (--*remaining <= 0) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}
