#pragma once
// Where the HFDL channels of an SDR band lie, and which channels fit it.

#include <span>
#include <string>
#include <vector>

#include "tracking/system_table_store.h"

namespace talvir {

// The modem takes what lies within this of a burst's carrier (the bursts'
// 2.4 kHz and the modem's +-75 Hz of tuning error), and nothing from 1440 Hz
// below the carrier, where the folded band would begin.
inline constexpr double kHfdlPassHz = 1350.0;
inline constexpr double kHfdlStopHz = 1650.0;

// A channel's burst carrier (1440 Hz above its dial) from the band's centre.
double HfdlCarrierOffsetHz(double dialKhz, double centreKhz);

// Why these channels cannot be cut from the band, or "" when they can.
std::string HfdlBandError(double rate, double centreKhz, std::span<const double> dialsKhz);

// Every frequency of the system table whose channel fits inside the band, in
// kHz, ascending, each once.
std::vector<double> HfdlDialsInBand(const SystemTable& table, double centreKhz, double rate);

}  // namespace talvir
