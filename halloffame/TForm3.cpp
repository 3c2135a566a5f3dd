#include "halloffame/TForm3.h"

#include "halloffame/TFameTable.h"
#include "halloffame/Tnewhigh.h"
#include "platform/FailureReport.h"
#include "platform/ModalResult.h"
#include "platform/PictureClick.h"
#include "platform/TProfileFile.h"
#include "platform/TypedKeys.h"
#include "platform/WindowLook.h"
#include "ui_TForm3.h"

#include <QKeyEvent>
#include <QPixmap>
#include <QPointer>
#include <QScopeGuard>

#include <optional>

namespace {

const QString Gap = QStringLiteral("     ");
// Space kept free between a score line and the right edge of its frame.
constexpr int LineMargin = 10;

// A name or score comes from the settings file and may hold anything a text editor can put in a
// line; a character that no name may hold would garble or break the score line.
QString Printable(QString text)
{
    for (QChar &c : text) {
        if (!IsNameCharacter(c))
            c = u' ';
    }
    return text;
}

// The line "name     score", shortened to the width of its column. A long name gives way first so
// that the score stays readable; only a score too long for the column on its own is cut itself.
QString FittedLine(const QString &name, const QString &score, const QFontMetrics &metrics, int width)
{
    const QString tail = Gap + score;
    const QString line = name + tail;
    if (metrics.horizontalAdvance(line) <= width)
        return line;
    const int roomForName = width - metrics.horizontalAdvance(tail);
    if (roomForName >= metrics.horizontalAdvance(QChar(0x2026)))
        return metrics.elidedText(name, Qt::ElideRight, roomForName) + tail;
    return metrics.elidedText(line, Qt::ElideRight, width);
}

} // namespace

TForm3::TForm3(QWidget *owner)
    : QDialog(owner)
    , ui(std::make_unique<Ui::TForm3>())
{
    ui->setupUi(this);
    MakeCentredToolWindow(*this, QSize(792, 571));
    setFont(SansFont(16));

    // Black behind the picture, which is black at its edges, so that the white lines stay
    // readable even where the picture does not cover.
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::black);
    setPalette(background);
    setAutoFillBackground(true);

    ui->Image1->setPixmap(QPixmap(QStringLiteral(":/pictures/halloffame.png")));
    OnPictureClick(*ui->Image1, [this] { Image1Click(ui->Image1); });

    QPalette white = palette();
    white.setColor(QPalette::WindowText, Qt::white);
    for (QLabel *heading : {ui->Label21, ui->Label22}) {
        heading->setFont(SansFont(20));
        heading->setPalette(white);
        heading->adjustSize();
    }

    lines = {ui->label1,  ui->Label2,  ui->Label3,  ui->Label4,  ui->Label5,  ui->Label6,  ui->Label7,
             ui->Label8,  ui->Label9,  ui->Label10, ui->Label11, ui->Label12, ui->Label13, ui->Label14,
             ui->Label15, ui->Label16, ui->Label17, ui->Label18, ui->Label19, ui->Label20};
    QFont lineFont = SansFont(17);
    lineFont.setItalic(true);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        QLabel *line = lines[i];
        line->setFont(lineFont);
        line->setPalette(white);
        // Each line may use its frame's width, no more: a long name must not run into the other
        // list or out of the window.
        const QFrame *frame = i < TFameTable::Ranks ? ui->Bevel1 : ui->Bevel2;
        const int width = frame->geometry().right() + 1 - LineMargin - line->x();
        line->resize(width, line->fontMetrics().height());
    }
}

TForm3::~TForm3() = default;

void TForm3::readfame(QObject *)
{
    fame.Load(TProfileFile::Settings());
    for (int k = 1; k <= TFameTable::Entries; ++k)
        ShowLine(k);
}

void TForm3::writefame(QObject *Sender, std::int32_t score)
{
    record(Sender, TFameList::OnePlayer, score, QStringLiteral("Enter your Name!"));
}

void TForm3::writefameb(QObject *Sender, const QString &player, std::int32_t score)
{
    record(Sender, TFameList::TwoPlayers, score, QStringLiteral("Enter your name,") + player);
}

void TForm3::highenter(QObject *, const QString &prompt, QString &name)
{
    // The buffer is emptied however the entry ends, so that the next one starts empty.
    const auto emptyBuffer = qScopeGuard([] { newname.clear(); });
    // Held by a guarded pointer: should its owner go away during the modal loop, the window goes
    // with it and must not be deleted twice.
    QPointer<Tnewhigh> entry = new Tnewhigh(NameEntryOwner());
    const auto destroyWindow = qScopeGuard([&entry] { delete entry.data(); });
    entry->setWindowTitle(prompt);
    entry->exec();
    name = newname;
}

void TForm3::Image1Click(QObject *)
{
    accept();
}

void TForm3::FormKeyPress(QObject *, QChar key)
{
    if (key.unicode() == TypedKey::Enter)
        accept();
}

void TForm3::reject()
{
    done(ModalResult::Cancel);
}

void TForm3::keyPressEvent(QKeyEvent *event)
{
    // Only Enter closes; the dialog's own Escape handling stays out.
    for (const QChar c : TypedCharacters(*event))
        FormKeyPress(this, c);
    event->accept();
}

void TForm3::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The lists are loaded each time the window opens, so they show what the file holds now.
    // Loading happens here rather than on the first activation, which some window systems never
    // deliver; the lines are thus filled before they are first painted.
    if (!event->spontaneous()) {
        try {
            readfame(this);
        } catch (...) {
            ReportCurrentException();
        }
    }
}

void TForm3::record(QObject *Sender, TFameList list, std::int32_t score, const QString &prompt)
{
    TProfileFile file = TProfileFile::Settings();
    // Whether the score places, and the player's name, are settled before the file is locked: the
    // player may take as long as he likes over the name, and another copy of the game must not
    // wait for him. The recording then places the score again on the file as it is by then.
    fame.Load(file);
    std::optional<TFameScore> entry;
    if (fame.Place(list, score)) {
        QString name;
        highenter(Sender, prompt, name);
        entry = TFameScore{score, name};
    }
    fame.Record(file, list, entry);
}

QWidget *TForm3::NameEntryOwner()
{
    // At game over the recording runs on a hall of fame that is never shown; the name entry then
    // belongs to the window this one belongs to.
    return isVisible() ? this : parentWidget();
}

void TForm3::ShowLine(int k)
{
    const TFameEntry &entry = fame.Entry(k);
    QLabel *line = lines.at(static_cast<std::size_t>(k - 1));
    const QString name = Printable(entry.name);
    const QString score = Printable(entry.score);
    const QString whole = name + Gap + score;
    const QString text = FittedLine(name, score, line->fontMetrics(), line->width());
    line->setText(text);
    // The whole line stays at hand when the column cuts it short.
    line->setToolTip(text == whole ? QString() : whole);
}
