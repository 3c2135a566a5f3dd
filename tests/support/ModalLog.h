#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

// Hands every modal window that opens while it lives to the answer, one after the other in the
// order in which they appear, so that the answer can log and answer it. The answer sees each
// window once; a window that is still open after the answer is closed (a dialog is rejected).
//
// The poll runs from whatever event loop is active, so it reaches windows shown with exec() deep
// inside the code under test.
class ModalLog
{
public:
    using Answer = std::function<void(QWidget *modal)>;

    explicit ModalLog(Answer modalAnswer)
        : answer(std::move(modalAnswer))
    {
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [this] { AnswerOpenModal(); });
        poll.start();
    }
    ModalLog(const ModalLog &) = delete;
    ModalLog &operator=(const ModalLog &) = delete;

private:
    static constexpr const char *SeenProperty = "modalLogSeen";

    void AnswerOpenModal()
    {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        // A window object may be reused at the same address by the next exec(), so the mark sits
        // on the object rather than in a list of pointers.
        if (!modal || !modal->isVisible() || modal->property(SeenProperty).toBool())
            return;
        modal->setProperty(SeenProperty, true);
        answer(modal);
        if (modal && modal->isVisible()) {
            if (auto *dialog = qobject_cast<QDialog *>(modal.data()))
                dialog->reject();
            else
                modal->close();
        }
    }

    Answer answer;
    QTimer poll;
};
