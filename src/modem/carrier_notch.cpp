#include "modem/carrier_notch.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace talvir {

namespace {

constexpr float kBinHz = static_cast<float>(hfdl::kMixRate) / CarrierNotch::kFftSize;
// Searched for lines: the burst's band with its carrier offsets.
constexpr int kFirstBin = static_cast<int>(200.0f / kBinHz);
constexpr int kLastBin = static_cast<int>(2700.0f / kBinHz);
constexpr float kLineFactor = 31.6f;  // 15 dB over the median
constexpr int kPersistSpectra = 6;
constexpr float kPoleRadius = 0.995f;     // -3 dB width (1 - r) 7200 / pi = 11.5 Hz
constexpr float kSameLineHz = 2 * kBinHz;  // a notch follows a line this close

}  // namespace

void CarrierNotch::Notch::Tune(float frequencyHz) {
  hz = frequencyHz;
  cosine2 = 2.0f * std::cos(static_cast<float>(2.0 * std::numbers::pi) * frequencyHz / static_cast<float>(hfdl::kMixRate));
}

// Zeros on the unit circle at the carrier, poles just inside them.
float CarrierNotch::Notch::Step(float x) {
  const float y = x - cosine2 * x1 + x2 + kPoleRadius * cosine2 * y1 - kPoleRadius * kPoleRadius * y2;
  x2 = x1;
  x1 = x;
  y2 = y1;
  y1 = y;
  return y;
}

CarrierNotch::CarrierNotch() {
  for (int n = 0; n < kFftSize; ++n)
    window_[static_cast<std::size_t>(n)] =
        0.5f - 0.5f * static_cast<float>(std::cos(2.0 * std::numbers::pi * n / kFftSize));
}

int CarrierNotch::ActiveNotches() const {
  return static_cast<int>(std::count_if(notches_.begin(), notches_.end(), [](const Notch& n) { return n.active; }));
}

float CarrierNotch::NotchHz(int i) const {
  for (const Notch& n : notches_)
    if (n.active && i-- == 0) return n.hz;
  return 0.0f;
}

void CarrierNotch::Process(std::span<const float, kBlock> in, std::span<float, kBlock> out) {
  for (int i = 0; i < kBlock; ++i) {
    const float x = in[static_cast<std::size_t>(i)];
    gathered_[static_cast<std::size_t>(fill_)] = x;
    if (++fill_ == kFftSize) {
      fill_ = 0;
      Analyse();
    }
    float y = x;
    for (Notch& n : notches_)
      if (n.active) y = n.Step(y);
    out[static_cast<std::size_t>(i)] = y;
  }
}

void CarrierNotch::Analyse() {
  for (int n = 0; n < kFftSize; ++n)
    spectrum_[static_cast<std::size_t>(n)] = window_[static_cast<std::size_t>(n)] * gathered_[static_cast<std::size_t>(n)];
  fft_.Forward(spectrum_);
  for (int k = kFirstBin - 1; k <= kLastBin + 1; ++k)
    power_[static_cast<std::size_t>(k)] = Norm(spectrum_[static_cast<std::size_t>(k)]);

  const auto first = scratch_.begin();
  const auto last = first + (kLastBin - kFirstBin + 1);
  std::copy(power_.begin() + kFirstBin, power_.begin() + kLastBin + 1, first);
  std::nth_element(first, first + (last - first) / 2, last);
  const float threshold = kLineFactor * first[(last - first) / 2];

  std::array<Line, kMaxNotches> lines{};
  int found = 0;
  nextPersistence_.fill(0);
  for (int k = kFirstBin; k <= kLastBin; ++k) {
    const float p = power_[static_cast<std::size_t>(k)];
    const float left = power_[static_cast<std::size_t>(k - 1)];
    const float right = power_[static_cast<std::size_t>(k + 1)];
    if (!(p > threshold && p >= left && p > right)) continue;
    const int seen = 1 + std::max({persistence_[static_cast<std::size_t>(k - 1)], persistence_[static_cast<std::size_t>(k)],
                                   persistence_[static_cast<std::size_t>(k + 1)]});
    nextPersistence_[static_cast<std::size_t>(k)] = static_cast<uint8_t>(std::min(seen, 255));
    if (seen < kPersistSpectra) continue;
    // Parabola through the log powers around the peak.
    const float l = std::log(left + 1e-30f), c = std::log(p), r = std::log(right + 1e-30f);
    const float curve = l - 2.0f * c + r;
    const float offset = curve < 0.0f ? 0.5f * (l - r) / curve : 0.0f;
    const Line line{k, (static_cast<float>(k) + offset) * kBinHz, p};
    // Keep the strongest lines.
    if (found < kMaxNotches) {
      lines[static_cast<std::size_t>(found++)] = line;
    } else {
      auto weakest = std::min_element(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.power < b.power; });
      if (weakest->power < line.power) *weakest = line;
    }
  }
  persistence_ = nextPersistence_;
  Follow(std::span<const Line>(lines.data(), static_cast<std::size_t>(found)));
}

void CarrierNotch::Follow(std::span<const Line> lines) {
  std::array<bool, kMaxNotches> kept{};
  std::array<bool, kMaxNotches> placed{};
  for (std::size_t l = 0; l < lines.size(); ++l)
    for (std::size_t n = 0; n < notches_.size(); ++n)
      if (notches_[n].active && !kept[n] && std::fabs(notches_[n].hz - lines[l].hz) <= kSameLineHz) {
        notches_[n].Tune(lines[l].hz);
        kept[n] = placed[l] = true;
        break;
      }
  for (std::size_t n = 0; n < notches_.size(); ++n)
    if (!kept[n]) notches_[n] = Notch{};
  for (std::size_t l = 0; l < lines.size(); ++l) {
    if (placed[l]) continue;
    for (std::size_t n = 0; n < notches_.size(); ++n)
      if (!notches_[n].active) {
        notches_[n].active = true;
        notches_[n].Tune(lines[l].hz);
        break;
      }
  }
}

}  // namespace talvir
