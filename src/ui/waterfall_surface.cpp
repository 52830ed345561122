#include "ui/waterfall_surface.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

#include "common/hfdl_frame_timing.h"
#include "ui/dialog_template.h"

namespace talvir {
namespace {

const QColor kSlotBoundary(0, 0, 255);
const QColor kAssignedSlot(200, 100, 0);
const QColor kOpenSlot(255, 255, 0);
const QColor kSlotOffset(0, 255, 0);
constexpr int kNewColumn = 2;
const QPoint kSlotNumberAt(5, 64);
const QPoint kSlotOffsetAt(5, 5);
constexpr uint8_t kRandomAccess = 0xFE;
constexpr uint8_t kReserved = 0xFF;

}  // namespace

WaterfallSurface::WaterfallSurface(QSize size) : image_(size, QImage::Format_RGB32) { image_.fill(Qt::black); }

void WaterfallSurface::DrawColumn(const std::array<float, kSpectrumRows>& levels, const SlotStripState& strip,
                                  bool showOffsets) {
  const int width = image_.width();
  const int height = image_.height();
  // Scroll (1,1)..(width-1,height-1) one pixel right.
  for (int y = 1; y < height - 1; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    std::memmove(row + 2, row + 1, sizeof(QRgb) * static_cast<std::size_t>(std::max(0, width - 2)));
  }
  for (int i = 0; i < kSpectrumRows && i < height; ++i) {
    const int v = std::min(static_cast<int>(levels[i]), 255);
    image_.setPixel(kNewColumn, i, qRgb(v, v, v));
  }
  if (strip.hfdl) DrawSlotStrip(strip, showOffsets);
}

void WaterfallSurface::DrawSlotStrip(const SlotStripState& strip, bool showOffsets) {
  const int slot = strip.currentSlot;
  if (slot != previousSlot_) {
    previousSlot_ = slot;
    columnsInPreviousSlot_ = columnsInSlot_;
    columnsInSlot_ = 0;
    for (int y = 0; y < image_.height(); ++y) {
      image_.setPixel(kNewColumn, y, kSlotBoundary.rgb());
      if (y >= kSpectrumRows) image_.setPixel(kNewColumn - 1, y, qRgb(0, 0, 0));
    }
  }
  // The number goes about halfway through the slot, once.
  if (columnsInSlot_++ != columnsInPreviousSlot_ / 2 + 4) return;
  QPainter painter(&image_);
  painter.setFont(SurfaceFont());
  const uint8_t code = strip.assignments[static_cast<std::size_t>(slot % hfdl::kSlotsPerFrame)];
  const bool open = slot != 0 && (code == kRandomAccess || code == kReserved);
  painter.setPen(open ? kOpenSlot : kAssignedSlot);
  const QFontMetrics metrics(painter.font());
  painter.drawText(kSlotNumberAt + QPoint(0, metrics.ascent()), QString::number(slot));
  if (showOffsets) {
    painter.setPen(kSlotOffset);
    painter.drawText(kSlotOffsetAt + QPoint(0, metrics.ascent()),
                     QString::number((strip.squitterSlotOffset + slot) % hfdl::kSlotsPerFrame));
  }
}

}  // namespace talvir
