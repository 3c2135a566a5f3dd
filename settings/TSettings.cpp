#include "settings/TSettings.h"

#include "platform/FailureReport.h"
#include "platform/TProfileFile.h"
#include "platform/WindowLook.h"
#include "settings/ComputerSection.h"
#include "settings/ControlsSection.h"
#include "settings/TComputerPage.h"
#include "settings/TGamepadsPage.h"
#include "ui_TSettings.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QTabBar>

#include <algorithm>

TSettings::TSettings(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , ui(std::make_unique<Ui::TSettings>())
{
    ui->setupUi(this);

    setFont(SansFont(14));
    setFixedSize(310, 369);

    // The page, the key diagram on it and the frame headings (which cover the top edge of their
    // frames) share one plain colour; styles tend to shade a tab page slightly differently.
    ui->TabSheet1->setAutoFillBackground(true);
    QPalette memoPalette = ui->Memo1->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Window));
    ui->Memo1->setPalette(memoPalette);
    FitKeyDiagram();

    // The headings cover the top edge of their frames, so each must be exactly as wide as its text.
    ui->Label1->adjustSize();
    ui->Label2->adjustSize();

    computerPage = new TComputerPage(ui->PageControl1);
    ui->PageControl1->addTab(computerPage, QStringLiteral("Computer"));
    gamepadsPage = new TGamepadsPage(ui->PageControl1);
    ui->PageControl1->addTab(gamepadsPage, QStringLiteral("Gamepads"));

    // The page's tab is no stop on the way from the diagram to the buttons.
    ui->PageControl1->tabBar()->setFocusPolicy(Qt::NoFocus);
    ui->Memo1->setFocus();

    CentreOnScreen(*this);

    connect(ui->OKBtn, &QPushButton::clicked, this, &TSettings::OKBtnClick);
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::reject);
}

TSettings::~TSettings() = default;

void TSettings::FitKeyDiagram()
{
    // The diagram was drawn with blanks in a narrow font; a wider one would cut "Turn Right" and
    // "[Jump]" off at the right edge. Shrink the diagram's font until its longest line fits.
    QPlainTextEdit *memo = ui->Memo1;
    memo->document()->setDocumentMargin(2);
    const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
    const int room = memo->contentsRect().width() - 2 * 2 - 2; // margins and the cursor's pixel
    QFont font = memo->font();
    while (font.pixelSize() > 8) {
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString &line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        if (widest <= room)
            break;
        font.setPixelSize(font.pixelSize() - 1);
    }
    memo->setFont(font);
}

std::array<QLineEdit *, 10> TSettings::Boxes() const
{
    return {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit5,
            ui->Edit7, ui->Edit6, ui->Edit8, ui->Edit9, ui->Edit10};
}

void TSettings::showEvent(QShowEvent *event)
{
    // Once per showing and before the boxes are on screen. Filling them again whenever the dialog
    // is reactivated (after the player visited another window) would throw away what was typed.
    if (!event->spontaneous())
        FormActivate(this);
    QDialog::showEvent(event);
}

void TSettings::FormActivate(QObject *)
{
    const TProfileFile settings = TProfileFile::Settings();
    const QStringList values = ControlsSection::Read(settings);
    const std::array<QLineEdit *, 10> boxes = Boxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setText(values.at(static_cast<qsizetype>(i)));
    computerPage->setLevel(ComputerSection::Level(settings));
}

void TSettings::ctrlchange(QObject *)
{
    // All ten, and what was changed on the other pages, in one replace: a write that fails leaves
    // the old settings whole rather than half old, half new.
    TProfileFile::KeyValues values;
    const std::array<QLineEdit *, 10> boxes = Boxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        values.emplace_back(QString::fromLatin1(ControlsSection::Bindings[i].key), boxes[i]->text());
    TProfileFile::Sections sections{{QString::fromLatin1(ControlsSection::Name), values}};
    computerPage->AddChanges(sections);
    gamepadsPage->AddChanges(sections);
    TProfileFile::Settings().WriteSections(sections);
    computerPage->Saved();
    gamepadsPage->Saved();
}

void TSettings::OKBtnClick()
{
    // The dialog closes with OK whether or not the bindings could be saved; a failure is shown
    // by the program's error box, and no exception goes back into Qt's event handling.
    accept();
    try {
        ctrlchange(ui->OKBtn);
    } catch (...) {
        ReportCurrentException();
    }
}
