#include "windows/THelpwindow.h"

#include "platform/WindowLook.h"

#include "ui_THelpwindow.h"

#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTextCursor>

namespace {

// The help text is kept as a plain text file with one line per line of the box. The file's
// final line break ends its last line; it does not open another one.
QString HelpText()
{
    QFile file(QStringLiteral(":/help/help.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

} // namespace

THelpwindow::THelpwindow(QWidget *owner)
    : QDialog(owner)
    , ui(std::make_unique<Ui::THelpwindow>())
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(491, 356);
    move(259, 275);
    setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));

    setFont(SansFont(13));

    // Nimbus Sans is a close match for Arial where neither Arial nor its Liberation twin is
    // installed.
    QFont textFont;
    textFont.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                          QStringLiteral("DejaVu Sans")});
    textFont.setPixelSize(13);
    ui->Memo1->setFont(textFont);

    // The box is tinted like an inactive window's border, a light grey that sets the text apart
    // from an editable field; the text keeps the palette's own colour.
    QPalette memoPalette = ui->Memo1->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Inactive, QPalette::Window));
    ui->Memo1->setPalette(memoPalette);
    ui->Memo1->setPlainText(HelpText());

    ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton, nullptr, ui->BitBtn1));
    connect(ui->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    // Enter belongs to the text box while it has the focus, as in any multi-line box; only with
    // the focus on the button does Enter close the window.
    ui->Memo1->installEventFilter(this);
    ui->Memo1->setFocus();
}

THelpwindow::~THelpwindow() = default;

bool THelpwindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Memo1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void THelpwindow::showEvent(QShowEvent *event)
{
    // Every showing starts at the top of the text, wherever the reader left it last time.
    QTextCursor top = ui->Memo1->textCursor();
    top.movePosition(QTextCursor::Start);
    ui->Memo1->setTextCursor(top);
    ui->Memo1->verticalScrollBar()->setValue(0);
    QDialog::showEvent(event);
}
