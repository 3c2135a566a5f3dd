#include "settings/TComputerPage.h"

#include "settings/ComputerSection.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QRadioButton *AddLevel(QVBoxLayout &layout, const QString &name, const QString &description)
{
    auto *button = new QRadioButton(name);
    layout.addWidget(button);
    auto *text = new QLabel(description);
    text->setWordWrap(true);
    text->setIndent(22);
    text->setForegroundRole(QPalette::PlaceholderText);
    layout.addWidget(text);
    return button;
}

} // namespace

TComputerPage::TComputerPage(QWidget *parent)
    : QWidget(parent)
{
    setAutoFillBackground(true);
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(12, 12, 12, 12);

    auto *group = new QGroupBox(QStringLiteral("Level"));
    auto *levels = new QVBoxLayout(group);
    Easy = AddLevel(*levels, QStringLiteral("Easy"), QStringLiteral("Slow, and makes mistakes."));
    Normal = AddLevel(*levels, QStringLiteral("Normal"), QStringLiteral("Keeps out of trouble."));
    Hard = AddLevel(*levels, QStringLiteral("Hard"), QStringLiteral("Quick, and out to box you in."));
    page->addWidget(group);

    auto *hint = new QLabel(QStringLiteral("F3 starts a game against the computer, which steers the blue "
                                           "cycle. A new level holds from the next game on."));
    hint->setWordWrap(true);
    page->addWidget(hint);
    page->addStretch();

    setLevel(TComputerLevel::Normal);
}

TComputerLevel TComputerPage::Level() const
{
    if (Easy->isChecked())
        return TComputerLevel::Easy;
    if (Hard->isChecked())
        return TComputerLevel::Hard;
    return TComputerLevel::Normal;
}

void TComputerPage::setLevel(TComputerLevel level)
{
    stored = level;
    Easy->setChecked(level == TComputerLevel::Easy);
    Normal->setChecked(level == TComputerLevel::Normal);
    Hard->setChecked(level == TComputerLevel::Hard);
}

void TComputerPage::AddChanges(TProfileFile::Sections &sections) const
{
    if (Level() != stored)
        sections.emplace_back(QString::fromLatin1(ComputerSection::Name), ComputerSection::Values(Level()));
}

void TComputerPage::Saved()
{
    stored = Level();
}
