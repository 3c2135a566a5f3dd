// STUB: replaced by the digit display implementation.
#include "components/TRCADigital.h"
TRCADigital::TRCADigital(QWidget *parent) : QWidget(parent) {}
void TRCADigital::setNumbers(const QImage &s) { numbers = s; }
void TRCADigital::setNumberWidth(std::uint16_t w) { numberWidth = w; }
void TRCADigital::setValue(std::int32_t v) { value = v; }
void TRCADigital::setMargin(std::uint16_t m) { margin = m; }
void TRCADigital::setAutoSize(bool on) { autoSize = on; }
void TRCADigital::setGap(std::int32_t g) { gap = g; }
void TRCADigital::setFormatWidth(std::uint16_t w) { formatWidth = w; }
void TRCADigital::setBevelOuter(TPanelBevel b) { bevelOuter = b; }
void TRCADigital::setBevelInner(TPanelBevel b) { bevelInner = b; }
void TRCADigital::setBevelWidth(int w) { bevelWidth = w; }
void TRCADigital::setBorderWidth(int w) { borderWidth = w; }
void TRCADigital::setColor(const QColor &c) { color = c; }
void TRCADigital::setCaption(const QString &t) { caption = t; }
void TRCADigital::setHeight(int h) { resize(width(), h); }
TRCADigital::Area TRCADigital::DigitArea() const { return {0, width()}; }
std::vector<TRCADigital::Cell> TRCADigital::VisibleCells() const { return {}; }
QString TRCADigital::FormatValue(std::int32_t v, std::uint16_t) { return QString::number(v); }
void TRCADigital::paintEvent(QPaintEvent *) {}
void TRCADigital::resizeEvent(QResizeEvent *) {}
void TRCADigital::UpdateHeight() {}
void TRCADigital::Repaint() { update(); }
