// STUB: replaced by the window's implementation.
#include "windows/THelpwindow.h"
THelpwindow::THelpwindow(QWidget *owner) : QDialog(owner) {}
THelpwindow::~THelpwindow() = default;
