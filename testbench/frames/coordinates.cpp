#include "testbench/frames/coordinates.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "testbench/frames/frame_writer.h"

namespace talvir::testbench {
namespace {

constexpr double kFullScaleDegrees = 180.0;

uint32_t CodeWithin(double degrees, double limit, const char* what) {
  if (!(std::fabs(degrees) <= limit)) {  // also refuses NaN
    throw std::invalid_argument(std::string(what) + " " + std::to_string(degrees) + " is outside -" +
                                std::to_string(static_cast<int>(limit)) + ".." +
                                std::to_string(static_cast<int>(limit)) + " degrees");
  }
  const auto magnitude =
      static_cast<uint32_t>(std::lround(std::fabs(degrees) * kCoordinateMagnitudeFull / kFullScaleDegrees));
  // A magnitude of 0 stays positive rather than becoming "minus zero".
  if (degrees < 0 && magnitude != 0) return ~magnitude & kCoordinateCodeMask;
  return magnitude;
}

}  // namespace

uint32_t CoordinateCode(double degrees) { return CodeWithin(degrees, 180.0, "coordinate"); }
uint32_t LatitudeCode(double degrees) { return CodeWithin(degrees, 90.0, "latitude"); }
uint32_t LongitudeCode(double degrees) { return CodeWithin(degrees, 180.0, "longitude"); }

double CoordinateDegrees(uint32_t code) {
  const bool negative = (code & kCoordinateSignBit) != 0;
  const uint32_t magnitude = (negative ? ~code : code) & kCoordinateMagnitudeFull;
  const double degrees = magnitude * kFullScaleDegrees / kCoordinateMagnitudeFull;
  return negative ? -degrees : degrees;
}

uint32_t ReverseBits24(uint32_t value) {
  uint32_t reversed = 0;
  for (int bit = 0; bit < 24; ++bit) {
    if ((value >> bit) & 1u) reversed |= 1u << (23 - bit);
  }
  return reversed;
}

std::array<uint8_t, 3> IcaoAddressField(uint32_t icao) {
  RequireInRange("ICAO address", icao, 0, kIcaoAddressMask);
  const uint32_t v = ReverseBits24(icao);
  return {static_cast<uint8_t>(v & 0xFF), static_cast<uint8_t>((v >> 8) & 0xFF),
          static_cast<uint8_t>(v >> 16)};
}

}  // namespace talvir::testbench
