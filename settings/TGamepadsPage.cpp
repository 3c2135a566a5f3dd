#include "settings/TGamepadsPage.h"

#include "input/GamepadSection.h"
#include "input/TGamepadHub.h"
#include "platform/FailureReport.h"
#include "platform/TProfileFile.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QString ActionCaption(TPlayerAction action)
{
    switch (action) {
    case TPlayerAction::TurnLeft: return QStringLiteral("Turn left");
    case TPlayerAction::TurnRight: return QStringLiteral("Turn right");
    case TPlayerAction::Faster: return QStringLiteral("Speed up");
    case TPlayerAction::Slower: return QStringLiteral("Slow down");
    case TPlayerAction::Jump: return QStringLiteral("Jump");
    }
    return {};
}

} // namespace

TGamepadsPage::TGamepadsPage(QWidget *parent)
    : QWidget(parent)
    , hub(TGamepadHub::Shared())
    , stored(GamepadSection::Read(TProfileFile::Settings()))
    , mapping(stored)
{
    setObjectName(QStringLiteral("GamepadsPage"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 4);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    grid->addWidget(new QLabel(QStringLiteral("Player 1"), this), 0, 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Player 2"), this), 0, 2, Qt::AlignHCenter);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const GamepadSection::Entry &entry = GamepadSection::Entries[i];
        const int row = static_cast<int>(entry.action) + 1;
        if (entry.player == 1)
            grid->addWidget(new QLabel(ActionCaption(entry.action), this), row, 0);
        auto *box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(entry.key));
        // The box only shows the button; the controller changes it.
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::StrongFocus);
        box->setAlignment(Qt::AlignCenter);
        grid->addWidget(box, row, entry.player);
        boxes[i] = box;
    }
    layout->addLayout(grid);
    layout->addSpacing(4);

    auto *hint =
        new QLabel(QStringLiteral("Click a box, then press the new button on that player's controller."), this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addSpacing(4);

    // Last on the page: a long list or a long name is cut off at the edges, not the buttons.
    layout->addWidget(new QLabel(QStringLiteral("Controllers connected:"), this));
    controllerList = new QLabel(this);
    controllerList->setObjectName(QStringLiteral("ControllerList"));
    controllerList->setContentsMargins(10, 0, 0, 0);
    controllerList->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(controllerList, 1);

    ShowButtons();
    ShowControllers();
    connect(hub.get(), &TGamepadHub::controllersChanged, this, [this] { RunReporting([this] { ShowControllers(); }); });
    connect(hub.get(), &TGamepadHub::pressed, this,
            [this](std::uint8_t player, TPadControl control) { RunReporting([&] { Pressed(player, control); }); });
}

TGamepadsPage::~TGamepadsPage() = default;

void TGamepadsPage::ShowControllers()
{
    // The player first: a name too long for the page loses its end, not whom it drives. A third
    // controller is a spare until a player's controller is pulled out.
    QStringList lines;
    for (const TGamepadHub::Controller &controller : hub->Controllers()) {
        const QString drives =
            controller.player != 0 ? QStringLiteral("Player %1").arg(controller.player) : QStringLiteral("Spare");
        lines << QStringLiteral("%1: %2").arg(drives, controller.name);
    }
    constexpr qsizetype Room = 3;
    if (lines.size() > Room) {
        const qsizetype more = lines.size() - (Room - 1);
        lines.resize(Room - 1);
        lines << QStringLiteral("(and %1 more)").arg(more);
    }
    controllerList->setText(lines.isEmpty() ? QStringLiteral("No controller found.") : lines.join(QLatin1Char('\n')));
}

void TGamepadsPage::ShowButtons()
{
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const GamepadSection::Entry &entry = GamepadSection::Entries[i];
        boxes[i]->setText(TPadMapping::LabelOf(mapping.Button(entry.player, entry.action)));
    }
}

void TGamepadsPage::Pressed(std::uint8_t player, TPadControl control)
{
    if (!TPadMapping::Assignable(control))
        return;
    // The dialog's own focus: it is kept while another window is active, so that a press
    // always lands in the box the player last chose.
    QWidget *focus = window()->focusWidget();
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const GamepadSection::Entry &entry = GamepadSection::Entries[i];
        if (boxes[i] == focus && entry.player == player) {
            mapping.SetButton(entry.player, entry.action, control);
            ShowButtons();
        }
    }
}

void TGamepadsPage::AddChanges(TProfileFile::Sections &sections) const
{
    if (mapping != stored)
        sections.emplace_back(QString::fromLatin1(GamepadSection::Name), GamepadSection::Values(mapping));
}

void TGamepadsPage::Saved()
{
    stored = mapping;
}
