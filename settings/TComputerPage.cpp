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

    setLevel(QString::fromLatin1(ComputerSection::DefaultLevel));
}

QString TComputerPage::Level() const
{
    if (Easy->isChecked())
        return QStringLiteral("easy");
    if (Hard->isChecked())
        return QStringLiteral("hard");
    return QStringLiteral("normal");
}

void TComputerPage::setLevel(const QString &level)
{
    stored = ComputerSection::Known(level);
    Easy->setChecked(stored == u"easy");
    Normal->setChecked(stored == u"normal");
    Hard->setChecked(stored == u"hard");
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
