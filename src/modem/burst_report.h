#pragma once
// The texts by which the modem reports a burst: the status line, the mode
// names and the constellation captions.

#include <string>
#include <string_view>

namespace talvir {

inline constexpr std::string_view kUnknownText = "Unknown";

// Long text of a rate code ("600  bps 1.8 sec Interleaver"); "Unknown" for
// codes outside 0..7.
std::string_view ModeName(int rateCode);

struct SlotTexts {
  std::string modeText;  // short text, "300bps 1.8s"
  std::string slotText;  // "TS(5)", or "TS(5,6)" for the 4.2 s interleaver
};
SlotTexts FormatSlotTexts(int rateCode, int currentSlot);

// Burst carrier minus 1440 Hz from the measured offset omega (radians per
// 3600/s sample, as the estimator's sign has it) on the given path.
double CarrierErrorHz(float omega, int path);

// "TS(%d) %s FREQ ERR %s Hz Mag %d Votes %d " with the frequency as "%.2f"
// and Votes as the count of disagreeing training outputs, 127 - votes.
std::string FormatBurstStatus(int currentSlot, int rateCode, double carrierErrorHz, float magnitude, int votes);

}  // namespace talvir
