#include "modem/preamble_search.h"

#include <algorithm>
#include <cstddef>

#include "modem/known_symbols.h"

namespace talvir {

namespace {

constexpr int kSegmentLength = 25;  // symbols a segment adds coherently before |s|^2
constexpr int kMaxStarts = PreambleSearcher::kPositions;
constexpr int kEarlyPeakGap = 3;
constexpr float kMinOffPeak = 1e-7f;

// Strict maximum above 0 over v[0 .. end), scanning upward; 0 when none.
int StrictMaximum(std::span<const float> v, int end, float& best) {
  best = 0.0f;
  int at = 0;
  for (int m = 0; m < end; ++m) {
    if (v[static_cast<std::size_t>(m)] > best) {
      best = v[static_cast<std::size_t>(m)];
      at = m;
    }
  }
  return at;
}

}  // namespace

void SegmentedCorrelations(const Complex* x, int count, float* out) {
  // All starts at once: for start i and symbol k the sample is x[i + 2k], so
  // the running sums over (re, im) of every start are one contiguous vector.
  count = std::min(count, kMaxStarts);
  const int lanes = 2 * count;
  const float* xf = reinterpret_cast<const float*>(x);
  std::array<float, 2 * kMaxStarts> s{};
  std::fill(out, out + count, 0.0f);
  for (int k = 0; k < hfdl::kSequenceALength; ++k) {
    const float a = known::kPreambleA[static_cast<std::size_t>(k)];
    const float* row = xf + 4 * k;
    for (int t = 0; t < lanes; ++t) s[static_cast<std::size_t>(t)] += a * row[t];
    // Segments end after symbols 25, 50, 75, 100, 125 and 126.
    if ((k > 0 && k % kSegmentLength == 0) || k == hfdl::kSequenceALength - 1) {
      for (int i = 0; i < count; ++i) {
        const float re = s[static_cast<std::size_t>(2 * i)];
        const float im = s[static_cast<std::size_t>(2 * i + 1)];
        out[i] += re * re + im * im;
      }
      std::fill(s.begin(), s.begin() + lanes, 0.0f);
    }
  }
}

int ChooseCandidatePath(std::span<const PreambleCandidate, hfdl::kCandidatePaths> found, int previous) {
  const float s0 = found[0].score, s1 = found[1].score, s2 = found[2].score;
  if (s0 > s1 && s0 > s2) return 0;
  if (s1 > s0 && s1 > s2) return 1;
  if (s2 > s0 && s2 > s1) return 2;
  return previous;
}

int ChoosePeakPosition(std::span<const float> v) {
  float main = 0.0f;
  const int mainAt = StrictMaximum(v, static_cast<int>(v.size()), main);
  float early = 0.0f;
  const int earlyAt = StrictMaximum(v, std::max(0, mainAt - kEarlyPeakGap + 1), early);
  return 0.5f * main < early ? earlyAt : mainAt;
}

PreambleCandidate PreambleSearcher::Search(const CandidatePath::Window& window) {
  std::copy(history_.begin() + kPositions, history_.end(), history_.begin());
  SegmentedCorrelations(window.data() + kNewStart, kPositions, history_.data() + kNewStart);

  std::array<float, kPositions> v{};
  for (int m = 0; m < kPositions; ++m)
    v[static_cast<std::size_t>(m)] =
        history_[static_cast<std::size_t>(m)] + history_[static_cast<std::size_t>(m + kCopySpacing)];
  const int p = ChoosePeakPosition(v);

  const float offPeak = history_[static_cast<std::size_t>(p + kOffPeakLag)];
  if (offPeak <= kMinOffPeak) return {};
  const float peak = std::min(history_[static_cast<std::size_t>(p)], history_[static_cast<std::size_t>(p + kCopySpacing)]);
  return {p, peak / offPeak};
}

}  // namespace talvir
