#include "app/TExportGifDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QRadioButton>

namespace {
struct TSpeedChoice
{
    const char *caption;
    double speed;
};
constexpr TSpeedChoice SpeedChoices[] = {{"a quarter", 0.25}, {"half", 0.5},    {"as played", 1.0}, {"twice", 2.0},
                                         {"4 times", 4.0},    {"8 times", 8.0}, {"16 times", 16.0}};
constexpr int AsPlayed = 2;
} // namespace

TExportGifDialog::TExportGifDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Export Round as GIF"));
    auto *form = new QFormLayout(this);

    auto *sizes = new QHBoxLayout;
    Size1 = new QRadioButton(QStringLiteral("1x (603 x 553)"), this);
    Size2 = new QRadioButton(QStringLiteral("2x (1206 x 1106)"), this);
    Size1->setChecked(true);
    sizes->addWidget(Size1);
    sizes->addWidget(Size2);
    form->addRow(QStringLiteral("Size:"), sizes);

    SpeedBox = new QComboBox(this);
    for (const TSpeedChoice &choice : SpeedChoices)
        SpeedBox->addItem(QLatin1String(choice.caption), choice.speed);
    SpeedBox->setCurrentIndex(AsPlayed);
    form->addRow(QStringLiteral("Speed:"), SpeedBox);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

int TExportGifDialog::Scale() const
{
    return Size2->isChecked() ? 2 : 1;
}

double TExportGifDialog::Speed() const
{
    return SpeedBox->currentData().toDouble();
}
