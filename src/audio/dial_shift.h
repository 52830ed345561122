#pragma once
// I/Q with the receiver's dial moved to 0 Hz: every sample turned by a
// phasor running at minus the dial's offset from the centre of the band.

#include <complex>
#include <memory>

#include "audio/float_frame_source.h"

namespace talvir {

class DialShift : public FloatFrameSource {
 public:
  // source: I and Q at its rate; dialOffsetHz: where the dial sits in its
  // band, from the centre.
  DialShift(std::unique_ptr<FloatFrameSource> source, double dialOffsetHz);

  int Channels() const override { return 2; }
  double Rate() const override { return source_->Rate(); }
  std::size_t ReadFloatFrames(std::span<float> out, const std::atomic<bool>& stop) override;

  // Interleaved I, Q, in place.
  void Process(std::span<float> iq);

 private:
  std::unique_ptr<FloatFrameSource> source_;
  std::complex<double> phasor_{1.0, 0.0};
  std::complex<double> step_;
};

}  // namespace talvir
