#pragma once
// What the soak transmits: 32 s HFDL frames one after another, each under
// its own conditions (clean or fading traffic, traffic under a carrier or on
// a DC offset, traffic too weak to decode, clipped traffic, noise alone,
// silence), with a squitter in slot 0, bursts of random rate codes in the
// other slots and VHF ACARS messages on the right channel. Every frame and
// message carries a key the decoded records give back, so the ledger can
// tell each decode apart and name false ones.

#include <cstdint>
#include <string>
#include <vector>

#include "testbench/scenario.h"

namespace talvir::soak {

inline constexpr int kSoakStationId = 7;
inline constexpr int kSoakAid = 0x42;
inline constexpr int kSegmentSeconds = 32;
inline constexpr int kSegmentsPerDay = 86400 / kSegmentSeconds;  // squitter frame indexes 0..2699

enum class Condition { kClean, kFading, kCarrier, kDcOffset, kWeak, kNoise, kSilence, kClipped };
inline constexpr int kConditionCount = 8;
const char* ConditionName(Condition condition);

enum class SentKind { kSquitter, kHfdlAcars, kSystemTable, kVhfAcars };

struct SentItem {
  SentKind kind = SentKind::kHfdlAcars;
  uint64_t key = 0;  // squitter: frame index; ACARS: serial; system table: packet
  int rateCode = 0;  // HFDL only
  // Strong enough that a working receiver decodes it every time.
  bool strong = false;
};

struct Segment {
  Condition condition = Condition::kClean;
  testbench::Scenario scenario;
  double carrierLevelDb = 0;      // kCarrier: over the bursts' power
  double carrierFrequencyHz = 0;  // kCarrier
  std::vector<SentItem> sent;
};

// The token an ACARS text carries: "SOAK" (HFDL) or "VSOAK" (VHF), then the
// serial in seven digits.
std::string SerialToken(SentKind kind, uint64_t serial);
// The serial of the first token of `kind` in a text; none: -1.
int64_t FindSerial(SentKind kind, const std::string& text);

// Segment `index` of the run seeded with `seed`: always the same.
Segment PlanSegment(uint64_t seed, uint64_t index);

// Both channels of a segment, 48000 samples/s, interleaved 16-bit stereo as
// the capture layer takes it (beyond full scale clipped, as a sound card does).
void RenderSegment(const Segment& segment, std::vector<int16_t>& frames);

// The system table version the soak's table packets carry.
int SoakSystemTableVersion();

}  // namespace talvir::soak
