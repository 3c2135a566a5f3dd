// STUB: replaced by the window's implementation.
#include "windows/TAboutBox.h"
TAboutBox::TAboutBox(QWidget *owner) : QDialog(owner) {}
TAboutBox::~TAboutBox() = default;
