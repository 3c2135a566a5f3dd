// STUB
#include "app/TForm1.h"
TForm1::TForm1(QWidget *parent) : QMainWindow(parent) { setWindowTitle(QStringLiteral("Zandrix II")); }
