// STUB: replaced by the key bindings dialog.
#include "settings/TSettings.h"
TSettings::TSettings(QWidget *owner) : QDialog(owner) {}
TSettings::~TSettings() = default;
void TSettings::FormActivate(QObject *) {}
void TSettings::ctrlchange(QObject *) {}
