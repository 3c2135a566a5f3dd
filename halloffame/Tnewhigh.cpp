#include "halloffame/Tnewhigh.h"

#include "platform/ModalResult.h"
#include "platform/TypedKeys.h"
#include "platform/WindowLook.h"
#include "ui_Tnewhigh.h"

#include <QKeyEvent>
#include <QPixmap>

QString newname;

namespace {

// The label's left margin, kept on the right as well once the name outgrows the window.
constexpr int LabelMargin = 24;

void RemoveLastCharacter(QString &text)
{
    const qsizetype n = text.size();
    if (n >= 2 && text[n - 1].isLowSurrogate() && text[n - 2].isHighSurrogate())
        text.chop(2);
    else
        text.chop(1);
}

bool Fits(QChar c)
{
    // A character outside the basic plane arrives as two halves: the first is taken only when
    // both fit, the second only after the first.
    if (c.isLowSurrogate())
        return !newname.isEmpty() && newname.back().isHighSurrogate();
    const qsizetype needed = c.isHighSurrogate() ? 2 : 1;
    return newname.size() + needed <= Tnewhigh::MaxNameLength;
}

} // namespace

Tnewhigh::Tnewhigh(QWidget *owner)
    : QDialog(owner)
    , ui(std::make_unique<Ui::Tnewhigh>())
{
    ui->setupUi(this);
    MakeCentredToolWindow(*this, QSize(320, 239));
    setFont(SansFont(16));

    ui->Image1->setPixmap(QPixmap(QStringLiteral(":/pictures/newhigh.png")));

    QFont labelFont = SansFont(20);
    labelFont.setBold(true);
    ui->Label1->setFont(labelFont);
    ui->Label1->setForegroundRole(QPalette::WindowText);
    ShowName();
}

Tnewhigh::~Tnewhigh() = default;

void Tnewhigh::FormKeyPress(QObject *, QChar key)
{
    switch (key.unicode()) {
    case TypedKey::Backspace: RemoveLastCharacter(newname); break;
    case TypedKey::Enter: accept(); return;
    default:
        if (!IsNameCharacter(key) || !Fits(key))
            return;
        newname.append(key);
        break;
    }
    ShowName();
}

void Tnewhigh::reject()
{
    done(ModalResult::Cancel);
}

void Tnewhigh::keyPressEvent(QKeyEvent *event)
{
    // The dialog's own Enter and Escape handling stays out: Enter is a character here like any
    // other, and Escape is a control character that is not part of a name.
    for (const QChar c : TypedCharacters(*event))
        FormKeyPress(this, c);
    event->accept();
}

void Tnewhigh::ShowName()
{
    QLabel *label = ui->Label1;
    label->setText(newname + u'_');
    label->adjustSize();
    // The label grows to the right with the name. Once it would leave the window it keeps its
    // width and shows the end of the name, so the player still sees the cursor and what was typed.
    const int room = width() - label->x() - LabelMargin;
    if (label->width() > room) {
        label->resize(room, label->height());
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    } else {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
}
