// STUB
#include "game/TFieldSurface.h"
TFieldSurface::TFieldSurface() : image(Width, Height, QImage::Format_RGB32) { image.fill(Qt::black); }
std::uint32_t TFieldSurface::GetPixel(int, int) const { return 0; }
void TFieldSurface::SetPixel(int, int, std::uint32_t) {}
void TFieldSurface::FillRect(const QRect &, std::uint32_t) {}
void TFieldSurface::Repaint(const QRect &) {}
void TFieldSurface::Register(TFieldElement *) {}
void TFieldSurface::Unregister(TFieldElement *) {}
void TFieldSurface::Changed(const QRect &) {}
