#include "PlayRig.h"

#include "halloffame/Tnewhigh.h"
#include "platform/ErrorDisplay.h"
#include "platform/FailureReport.h"
#include "platform/TMediaCommands.h"
#include "windows/Tcrash.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

class Silence : public TMediaCommands
{
public:
    void mciSendString(const QString &) noexcept override {}
};

constexpr const char *SeenProperty = "playRigSeen";

} // namespace

PlayRig::PlayRig(Ticks ticks, std::uint32_t seed)
    : window(std::make_unique<TForm1>())
    , form(*window)
{
    form.generator.seed(seed);
    form.setMedia(std::make_unique<Silence>());
    if (ticks == Ticks::Manual) {
        form.hiresTimer1.setOnTimer({});
        form.hiresTimer2.setOnTimer({});
        QObject::disconnect(&form.Timer1, &QTimer::timeout, &form, nullptr);
    }
    SetFailureReporter([this](const std::string &message) {
        failures.append(QString::fromStdString(message));
        ShowErrorBox(QString::fromStdString(message));
    });
    // The poll runs in whichever event loop is active, so it reaches windows that the game shows
    // with exec() deep inside a handler.
    modalPoll.setInterval(5);
    QObject::connect(&modalPoll, &QTimer::timeout, [this] { AnswerOpenModal(); });
    modalPoll.start();
}

PlayRig::~PlayRig()
{
    modalPoll.stop();
    window.reset();
    SetFailureReporter({});
}

void PlayRig::AnswerOpenModal()
{
    QPointer<QWidget> modal = QApplication::activeModalWidget();
    // A new window may be created at the address of the last one, so the mark sits on the object.
    if (!modal || !modal->isVisible() || modal->property(SeenProperty).toBool())
        return;
    modal->setProperty(SeenProperty, true);
    windows.append(modal->windowTitle());
    if (qobject_cast<Tcrash *>(modal)) {
        QTest::keyClick(modal, Qt::Key_Return);
    } else if (qobject_cast<Tnewhigh *>(modal)) {
        QTest::keyClicks(modal, names.isEmpty() ? QStringLiteral("Tester") : names.takeFirst());
        QTest::keyClick(modal, Qt::Key_Return);
    } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        errorBoxes.append(box->text());
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            ok->click();
    }
    // Anything else, or a window that ignored its answer, is closed so the test goes on.
    if (modal && modal->isVisible())
        modal->close();
    if (afterAnswer)
        afterAnswer(modal.data());
}

bool PlayRig::PlayToGameOver(bool twoPlayers, int steps)
{
    if (twoPlayers)
        form.N2Players1Click(form.N2Players1);
    else
        form.N1Player1Click(form.N1Player1);
    // Three crashes of player 1 end any game; a fourth round would mean it did not end.
    for (int round = 0; round < 4 && !form.StartEnabled(); ++round) {
        for (int i = 0; i < steps; ++i) {
            form.hiresTimer1Timer(nullptr);
            if (twoPlayers)
                form.HiResTimer2Timer(nullptr);
        }
        // Heading 3 is left: one step from column 0 leaves the field.
        form.redx = 0;
        form.redy = 300;
        form.reddir = 3;
        form.hiresTimer1Timer(nullptr);
    }
    return form.StartEnabled() && !form.running;
}
