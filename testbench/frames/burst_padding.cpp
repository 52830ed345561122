#include "testbench/frames/burst_padding.h"

#include <stdexcept>
#include <string>

#include "modem/hfdl_phy.h"
#include "testbench/frames/frame_writer.h"

namespace talvir::testbench {

int BurstFrameBytes(int rateCode) {
  RequireInRange("rate code", rateCode, 0, hfdl::kRateCodes - 1);
  return hfdl::Rate(rateCode).frameBytes;
}

std::vector<uint8_t> PadToBurst(std::span<const uint8_t> frame, int rateCode) {
  const auto capacity = static_cast<std::size_t>(BurstFrameBytes(rateCode));
  if (frame.size() > capacity) {
    throw std::invalid_argument("a frame of " + std::to_string(frame.size()) + " bytes does not fit a " +
                                std::string(hfdl::Rate(rateCode).shortText) + " burst of " +
                                std::to_string(capacity) + " bytes");
  }
  std::vector<uint8_t> padded(frame.begin(), frame.end());
  padded.resize(capacity, 0);
  return padded;
}

}  // namespace talvir::testbench
