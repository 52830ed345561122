#include "tracking/position_text.h"

#include <cstdio>

namespace talvir {
namespace {

struct Dms {
  int degrees, minutes, seconds;
};

Dms ToDms(int32_t magnitude) {
  const double value = magnitude * 180.0 / kCoordinateFullScale;
  const int degrees = static_cast<int>(value);
  const double minutesValue = (value - degrees) * 60.0;
  const int minutes = static_cast<int>(minutesValue);
  const int seconds = static_cast<int>((minutesValue - minutes) * 60.0);
  return {degrees, minutes, seconds};
}

std::string WithHemisphere(const std::string& dms, const char* format, bool negative,
                           const char* positiveLetter, const char* negativeLetter) {
  char text[64];
  std::snprintf(text, sizeof text, format, dms.c_str(), negative ? negativeLetter : positiveLetter);
  return text;
}

std::string DdeDms(int32_t code) {
  const Dms dms = ToDms(CoordinateMagnitude(code));
  char text[48];
  std::snprintf(text, sizeof text, "%d,%d,%d", dms.degrees, dms.minutes, dms.seconds);
  return text;
}

std::string TimeText(int32_t t, const char* format) {
  const int seconds = 2 * t;
  char text[48];
  std::snprintf(text, sizeof text, format, seconds / 3600, (seconds % 3600) / 60, seconds % 60);
  return text;
}

}  // namespace

int32_t CoordinateMagnitude(int32_t code) {
  return CoordinateNegative(code) ? (~code & kCoordinateMagnitudeMask)
                                  : (code & kCoordinateMagnitudeMask);
}

bool CoordinateNegative(int32_t code) { return (code & kCoordinateSignBit) != 0; }

double CoordinateDegrees(int32_t code) {
  const double degrees = CoordinateMagnitude(code) * 180.0 / kCoordinateFullScale;
  return CoordinateNegative(code) ? -degrees : degrees;
}

std::string FormatDegreesMinutesSeconds(int32_t magnitude) {
  const Dms dms = ToDms(magnitude);
  char text[48];
  std::snprintf(text, sizeof text, "%d %d %d ", dms.degrees, dms.minutes, dms.seconds);
  return text;
}

std::string FormatLatitude(int32_t code) {
  return WithHemisphere(FormatDegreesMinutesSeconds(CoordinateMagnitude(code)), "%s %s ",
                        CoordinateNegative(code), "N", "S");
}

std::string FormatLongitude(int32_t code) {
  return WithHemisphere(FormatDegreesMinutesSeconds(CoordinateMagnitude(code)), "%s %s ",
                        CoordinateNegative(code), "E", "W");
}

std::string FormatDdeLatitude(int32_t code) {
  return WithHemisphere(DdeDms(code), "%s,%s", CoordinateNegative(code), "N", "S");
}

std::string FormatDdeLongitude(int32_t code) {
  return WithHemisphere(DdeDms(code), "%s,%s", CoordinateNegative(code), "E", "W");
}

std::string FormatHalfSecondsTime(int32_t t) { return TimeText(t, "%.2d:%.2d:%.2d "); }

std::string FormatDdeTime(int32_t t) { return TimeText(t, "%.2d%.2d%.2d"); }

}  // namespace talvir
