#pragma once
// Appends HFDL frame fields the way the receiver reads them back: the first
// transmitted bit is bit 0 of a byte and multi-bit fields are little-endian,
// so fields are written least significant bit first, packed without gaps.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace talvir::testbench {

class FrameWriter {
 public:
  // `width` bits (1..32) of `value`; bits above `width` must be zero.
  void PutBits(uint32_t value, int width);
  void PutByte(uint8_t byte) { PutBits(byte, 8); }
  void PutBytes(std::span<const uint8_t> bytes);
  // The FCS over every byte written so far, low byte first. Needs whole bytes.
  void PutFcs();

  std::size_t ByteCount() const { return bytes_.size(); }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
  int bitFill_ = 0;  // bits used in the last byte, 0 when it is complete
};

// Throws std::invalid_argument naming the field when value is outside
// minimum..maximum: frame contents come from scenario files users write.
void RequireInRange(std::string_view field, long long value, long long minimum, long long maximum);

}  // namespace talvir::testbench
