#pragma once
// The burst search on one candidate path: a non-coherent correlation against
// preamble sequence A (segments of 25 symbols, robust to a carrier offset) at
// every window position, kept as a history so that both copies of A can be
// added when the second one has arrived.

#include <array>
#include <span>

#include "modem/candidate_path.h"

namespace talvir {

struct PreambleCandidate {
  int position = 0;    // window sample of the first A's first symbol, 0..89
  float score = 0.0f;  // peak over the off-peak correlation half a symbol later
};

class PreambleSearcher {
 public:
  static constexpr int kHistorySize = 598;
  static constexpr int kPositions = CandidatePath::kNewSamples;   // 90 per block
  static constexpr int kNewStart = kHistorySize - kPositions;     // 508
  static constexpr int kCopySpacing = 2 * hfdl::kSequenceALength;  // 254 samples between the two As
  static constexpr int kOffPeakLag = hfdl::kSequenceALength;       // 127 samples

  // Shifts the history by one block, correlates the 90 new positions and
  // returns the best candidate among positions 0..89.
  PreambleCandidate Search(const CandidatePath::Window& window);

  const std::array<float, kHistorySize>& history() const { return history_; }

 private:
  std::array<float, kHistorySize> history_{};
};

// SegmentedCorrelation at window starts x[0] .. x[count - 1], into out.
void SegmentedCorrelations(const Complex* x, int count, float* out);

// The path with the strictly best score; on a tie the previous choice.
int ChooseCandidatePath(std::span<const PreambleCandidate, hfdl::kCandidatePaths> found, int previous);

// The main peak M of v (first strict maximum above 0), unless an earlier peak
// at least 3 positions before it exceeds half of it: then that earlier one.
int ChoosePeakPosition(std::span<const float> v);

}  // namespace talvir
