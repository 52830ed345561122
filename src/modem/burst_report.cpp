#include "modem/burst_report.h"

#include <cstdio>

#include "modem/hfdl_phy.h"

namespace talvir {

namespace {
constexpr double kRadiansToHzAt7200 = 0.07957747154594767;  // 1 / (4 pi): omega * 7200 / 4pi = omega * 3600 / 2pi
constexpr double kPathOffsetHz = 50.0;
constexpr int kCentrePath = 1;

int TruncateToInt(float v) {
  if (!(v > -2e9f && v < 2e9f)) return 0;
  return static_cast<int>(v);
}

bool ValidCode(int code) { return code >= 0 && code < hfdl::kRateCodes; }
}  // namespace

std::string_view ModeName(int rateCode) {
  return ValidCode(rateCode) ? hfdl::Rate(rateCode).longText : kUnknownText;
}

SlotTexts FormatSlotTexts(int rateCode, int currentSlot) {
  if (!ValidCode(rateCode)) return {std::string(kUnknownText), std::string(kUnknownText)};
  const auto& rate = hfdl::Rate(rateCode);
  char slot[32];
  if (rate.longInterleaver)
    std::snprintf(slot, sizeof slot, "TS(%d,%d)", currentSlot, currentSlot + 1);
  else
    std::snprintf(slot, sizeof slot, "TS(%d)", currentSlot);
  return {std::string(rate.shortText), slot};
}

double CarrierErrorHz(float omega, int path) {
  const double f = static_cast<double>(omega * 7200.0f) * kRadiansToHzAt7200 + kPathOffsetHz * (kCentrePath - path);
  return -f;
}

std::string FormatBurstStatus(int currentSlot, int rateCode, double carrierErrorHz, float magnitude, int votes) {
  char frequency[32];
  std::snprintf(frequency, sizeof frequency, "%.2f", carrierErrorHz);
  char line[160];
  std::snprintf(line, sizeof line, "TS(%d) %s FREQ ERR %s Hz Mag %d Votes %d ", currentSlot,
                std::string(ModeName(rateCode)).c_str(), frequency, TruncateToInt(magnitude),
                hfdl::kSequenceALength - votes);
  return line;
}

}  // namespace talvir
