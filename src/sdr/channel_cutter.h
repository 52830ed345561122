#pragma once
// Cuts channels out of one band of complex I/Q: each channel's centre moved
// to 0 Hz, low-passed and decimated by an integer factor, all channels
// together. A fast-convolution filter bank: one FFT of the band per hop is
// shared by every channel, and each channel costs only a short inverse FFT
// of the bins around its centre, so many channels cost little more than one.
// Hops overlap by a quarter, which bounds the filter's length.
//
// Output rate = band rate / decimation, exactly; a decoder that wants
// another rate resamples from there. The channel filter is linear-phase;
// its delay is a fixed number of output samples, the same for every channel.

#include <complex>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sdr/complex_fft.h"

namespace talvir {

// What one kind of channel needs from the cutter.
struct ChannelShape {
  int decimation = 1;   // band rate / channel rate
  double passHz = 0;    // flat within +- this of the channel's centre
  double stopHz = 0;    // kStopbandDb down from +- this on; at most the channel rate less passHz
};

// The largest decimation whose output rate is still at least minimumRate
// (1 when the band is slower).
int DecimationFor(double bandRate, double minimumRate);

// Where the cutter hands each channel's baseband, hop by hop, channels in
// the order given.
class BasebandSink {
 public:
  virtual ~BasebandSink() = default;
  // Valid during the call.
  virtual void OnBaseband(std::size_t channel, std::span<const std::complex<float>> samples) = 0;
};

class ChannelCutter {
 public:
  // Nothing, with the reason in error, when the shape does not fit the rate
  // or a channel lies outside the band. offsetsHz: each channel's centre
  // from the band's centre.
  static std::unique_ptr<ChannelCutter> Create(double bandRate, const ChannelShape& shape,
                                               std::span<const double> offsetsHz, std::string& error);

  double OutputRate() const { return outputRate_; }
  std::size_t Channels() const { return channels_.size(); }
  // Band samples of one hop: each hop hands every channel hop / decimation
  // samples.
  std::size_t HopSamples() const { return hop_; }

  // Any number of band samples; every hop completed goes to sink.
  void Process(std::span<const std::complex<float>> band, BasebandSink& sink);

 private:
  struct Channel {
    std::ptrdiff_t centreBin = 0;
    int quarterTurns = 0;  // the hop's phase, in quarter turns: see CutHop
    std::complex<double> rotor{1.0, 0.0};
    std::complex<double> rotorStep{1.0, 0.0};  // what the bin grid leaves over
  };

  ChannelCutter(double bandRate, const ChannelShape& shape, std::size_t quarterOutputs,
                std::span<const double> offsetsHz);
  void CutHop(BasebandSink& sink);

  const double outputRate_;
  const std::size_t fftSize_;      // band samples per FFT
  const std::size_t hop_;          // three quarters of it
  const std::size_t binsPerChannel_;
  const std::size_t discarded_;    // outputs of each inverse FFT spoilt by the circular wrap
  ComplexFft forward_;
  ComplexFft inverse_;
  std::size_t filled_;             // band samples in forward_'s input
  std::vector<std::complex<float>> response_;  // the filter's bins around 0 Hz, in inverse FFT order, scaled
  std::vector<Channel> channels_;
  std::vector<std::complex<float>> baseband_;  // one hop of one channel
};

}  // namespace talvir
