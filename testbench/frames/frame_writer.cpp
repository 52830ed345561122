#include "testbench/frames/frame_writer.h"

#include <stdexcept>
#include <string>

#include "common/crc16.h"

namespace talvir::testbench {

void FrameWriter::PutBits(uint32_t value, int width) {
  if (width < 1 || width > 32 || (width < 32 && (value >> width) != 0)) {
    throw std::logic_error("FrameWriter: value " + std::to_string(value) + " does not fit in " +
                           std::to_string(width) + " bits");
  }
  for (int bit = 0; bit < width; ++bit) {
    if (bitFill_ == 0) bytes_.push_back(0);
    if ((value >> bit) & 1u) bytes_.back() = static_cast<uint8_t>(bytes_.back() | (1u << bitFill_));
    bitFill_ = (bitFill_ + 1) % 8;
  }
}

void FrameWriter::PutBytes(std::span<const uint8_t> bytes) {
  for (uint8_t b : bytes) PutByte(b);
}

void FrameWriter::PutFcs() {
  if (bitFill_ != 0) throw std::logic_error("FrameWriter: FCS after a partial byte");
  const uint16_t fcs = HfdlFcs(bytes_);
  bytes_.push_back(static_cast<uint8_t>(fcs & 0xFF));
  bytes_.push_back(static_cast<uint8_t>(fcs >> 8));
}

void RequireInRange(std::string_view field, long long value, long long minimum, long long maximum) {
  if (value < minimum || value > maximum) {
    throw std::invalid_argument(std::string(field) + " " + std::to_string(value) + " is outside " +
                                std::to_string(minimum) + ".." + std::to_string(maximum));
  }
}

}  // namespace talvir::testbench
