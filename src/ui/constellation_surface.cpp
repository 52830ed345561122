#include "ui/constellation_surface.h"

#include <QPainter>

#include "ui/dialog_template.h"

namespace talvir {
namespace {

const QColor kSymbol(200, 200, 255);
const QColor kStar(150, 150, 0);
const QColor kCaption(255, 255, 0);
// A symbol of magnitude 0.1 on an ideal phase lies at a spoke's tip.
constexpr double kSpoke = 0.2;
constexpr double kDiagonal = 0.1414;
constexpr int kCaptionLeft = 2;
constexpr int kBottomCaptionRise = 15;

}  // namespace

ConstellationSurface::ConstellationSurface(QSize size) : image_(size, QImage::Format_RGB32) {
  Draw(ConstellationFrame{});
}

void ConstellationSurface::Draw(const ConstellationFrame& frame) {
  image_.fill(Qt::black);
  const int w = image_.width();
  const int h = image_.height();
  const int cx = w / 2;
  const int cy = h / 2;
  const QRect inside = image_.rect();
  for (const Complex& z : frame.points) {
    // Truncated toward zero; a positive imaginary part is drawn below.
    const QPoint at(cx + static_cast<int>(2.0f * static_cast<float>(w) * z.real()),
                    cy + static_cast<int>(2.0f * static_cast<float>(h) * z.imag()));
    if (inside.contains(at)) image_.setPixel(at, kSymbol.rgb());
  }
  QPainter painter(&image_);
  painter.setPen(QPen(kStar, 1));
  const auto dx = [w](double f) { return static_cast<int>(f * w); };
  const auto dy = [h](double f) { return static_cast<int>(f * h); };
  painter.drawLine(cx + dx(kSpoke), cy, cx - dx(kSpoke), cy);
  painter.drawLine(cx, cy + dy(kSpoke), cx, cy - dy(kSpoke));
  painter.drawLine(cx + dx(kDiagonal), cy + dy(kDiagonal), cx - dx(kDiagonal), cy - dy(kDiagonal));
  painter.drawLine(cx + dx(kDiagonal), cy - dy(kDiagonal), cx - dx(kDiagonal), cy + dy(kDiagonal));
  painter.setFont(SurfaceFont());
  painter.setPen(kCaption);
  const int ascent = painter.fontMetrics().ascent();
  painter.drawText(QPoint(kCaptionLeft, ascent), frame.topCaption);
  painter.drawText(QPoint(kCaptionLeft, h - kBottomCaptionRise + ascent), frame.bottomCaption);
}

}  // namespace talvir
