// STUB: replaced by the hall of fame implementation.
#include "halloffame/TForm3.h"
TForm3::TForm3(QWidget *owner) : QDialog(owner) {}
TForm3::~TForm3() = default;
void TForm3::readfame(QObject *) {}
void TForm3::writefame(QObject *, std::int32_t) {}
void TForm3::writefameb(QObject *, const QString &, std::int32_t) {}
void TForm3::highenter(QObject *, const QString &, QString &name) { name.clear(); }
