#include "app/hfdl_band_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "modem/baseband_front_end.h"

namespace talvir {
namespace {

bool Fits(double rate, double centreKhz, double dialKhz) {
  return std::abs(HfdlCarrierOffsetHz(dialKhz, centreKhz)) + kHfdlStopHz <= rate / 2;
}

}  // namespace

double HfdlCarrierOffsetHz(double dialKhz, double centreKhz) { return (dialKhz - centreKhz) * 1000.0 + hfdl::kCarrierHz; }

std::string HfdlBandError(double rate, double centreKhz, std::span<const double> dialsKhz) {
  char text[160];
  if (!(rate >= BasebandFrontEnd::kMinRate)) {
    std::snprintf(text, sizeof text, "an I/Q band of %g samples/s is too narrow for HFDL (at least %g)", rate,
                  BasebandFrontEnd::kMinRate);
    return text;
  }
  for (const double dial : dialsKhz) {
    if (Fits(rate, centreKhz, dial)) continue;
    std::snprintf(text, sizeof text, "the HFDL channel at %g kHz lies outside the band, %g to %g kHz", dial,
                  centreKhz - rate / 2000.0, centreKhz + rate / 2000.0);
    return text;
  }
  return {};
}

std::vector<double> HfdlDialsInBand(const SystemTable& table, double centreKhz, double rate) {
  std::vector<double> dials;
  for (int s = 0; s < UsableStationCount(table); ++s) {
    const SystemTableStation& station = table.stations[s];
    for (int f = 0; f < UsableFrequencyCount(station); ++f) {
      const double khz = station.frequencies[f].frequencyHz / 1000.0;
      if (khz > 0 && Fits(rate, centreKhz, khz)) dials.push_back(khz);
    }
  }
  std::sort(dials.begin(), dials.end());
  dials.erase(std::unique(dials.begin(), dials.end()), dials.end());
  return dials;
}

}  // namespace talvir
