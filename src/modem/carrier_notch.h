#pragma once
// Steady carriers in the HFDL band (other stations' carriers and tones) would
// take the AGC, the burst search's frequency estimate and the equaliser. Every
// 1024 samples (0.14 s at 7200/s) a Hann-windowed spectrum looks for lines
// standing 15 dB over the band's median. A line seen in six spectra running
// (0.85 s, much longer than a burst's 0.25 s prekey) gets a narrow notch,
// about 12 Hz wide, that follows it as it drifts and goes when it goes.

#include <array>
#include <cstdint>
#include <span>

#include "modem/hfdl_phy.h"
#include "modem/radix2_fft.h"

namespace talvir {

class CarrierNotch {
 public:
  static constexpr int kFftSize = 1024;  // 7 Hz bins at 7200/s
  static constexpr int kMaxNotches = 4;
  static constexpr int kBlock = hfdl::kBlockMixSamples;

  CarrierNotch();

  // One 25 ms block at 7200/s through the notches now active.
  void Process(std::span<const float, kBlock> in, std::span<float, kBlock> out);

  int ActiveNotches() const;
  // Centre of active notch i (0 .. ActiveNotches() - 1), in hertz.
  float NotchHz(int i) const;

 private:
  struct Notch {
    bool active = false;
    float hz = 0.0f;
    float cosine2 = 0.0f;  // 2 cos w
    float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
    void Tune(float frequencyHz);
    float Step(float x);
  };
  struct Line {
    int bin;
    float hz;
    float power;
  };

  void Analyse();
  // Active notches follow the lines found, new lines take free notches.
  void Follow(std::span<const Line> lines);

  Radix2Fft<kFftSize> fft_;
  std::array<float, kFftSize> window_{};
  std::array<float, kFftSize> gathered_{};
  int fill_ = 0;
  std::array<Complex, kFftSize> spectrum_{};
  std::array<float, kFftSize / 2> power_{};
  std::array<float, kFftSize / 2> scratch_{};
  std::array<uint8_t, kFftSize / 2> persistence_{};  // spectra running with a line at this bin
  std::array<uint8_t, kFftSize / 2> nextPersistence_{};
  std::array<Notch, kMaxNotches> notches_{};
};

}  // namespace talvir
