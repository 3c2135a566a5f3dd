// STUB: replaced by the window's implementation.
#include "windows/Tcrash.h"
Tcrash::Tcrash(QWidget *owner) : QDialog(owner) {}
Tcrash::~Tcrash() = default;
