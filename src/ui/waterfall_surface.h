#pragma once
// The waterfall box's off-screen surface: each spectrum column enters at the
// left and pushes the older ones right; below the spectrum, when the channel
// shown carries HFDL, a strip marks the time slots and numbers them.

#include <QImage>
#include <array>
#include <cstdint>

#include "ui/spectrum_column.h"

namespace talvir {

// What the strip needs besides the column, as it was when the block was
// posted.
struct SlotStripState {
  bool hfdl = false;  // the channel shown is decoded as HFDL
  int currentSlot = 0;
  int squitterSlotOffset = 0;
  // Slots 0..12: 0xFE/0xFF random access or reserved, else assigned.
  std::array<uint8_t, 13> assignments{};
};

class WaterfallSurface {
 public:
  explicit WaterfallSurface(QSize size);

  void DrawColumn(const std::array<float, kSpectrumRows>& levels, const SlotStripState& strip, bool showOffsets);
  const QImage& image() const { return image_; }

 private:
  void DrawSlotStrip(const SlotStripState& strip, bool showOffsets);

  QImage image_;
  int previousSlot_ = 0;
  int columnsInSlot_ = 0;
  int columnsInPreviousSlot_ = 0;
};

}  // namespace talvir
