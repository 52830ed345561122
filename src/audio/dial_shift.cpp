#include "audio/dial_shift.h"

#include <cmath>
#include <numbers>

namespace talvir {

DialShift::DialShift(std::unique_ptr<FloatFrameSource> source, double dialOffsetHz)
    : source_(std::move(source)), step_(std::polar(1.0, -2.0 * std::numbers::pi * dialOffsetHz / source_->Rate())) {}

std::size_t DialShift::ReadFloatFrames(std::span<float> out, const std::atomic<bool>& stop) {
  const std::size_t frames = source_->ReadFloatFrames(out, stop);
  Process(out.first(2 * frames));
  return frames;
}

void DialShift::Process(std::span<float> iq) {
  for (std::size_t k = 0; k + 1 < iq.size(); k += 2) {
    const std::complex<double> turned = std::complex<double>(iq[k], iq[k + 1]) * phasor_;
    iq[k] = static_cast<float>(turned.real());
    iq[k + 1] = static_cast<float>(turned.imag());
    phasor_ *= step_;
  }
  // Rounding would otherwise let the phasor's length drift over hours.
  phasor_ /= std::abs(phasor_);
}

}  // namespace talvir
