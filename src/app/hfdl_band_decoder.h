#pragma once
// Many HFDL channels of one SDR band: the cutter takes each channel out of
// the band's I/Q (one shared transform for all of them) and hands it on at
// its own rate; the channels' modems, and the decoders behind them, then run
// in parallel on a small pool of threads, each owning some channels. Each
// block of the band is finished on every channel before the next starts, so
// the program's timers between blocks see every channel at the same time.

#include <complex>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "common/decoder_links.h"
#include "modem/hfdl_modem.h"
#include "sdr/channel_cutter.h"

namespace talvir {

// A band of complex I/Q as the worker hands it over, I and Q each -1 .. +1.
class BandSink {
 public:
  virtual ~BandSink() = default;
  virtual void ProcessBand(std::span<const std::complex<float>> band) = 0;
};

// Sees one channel's baseband of each block before its modem does: the
// window's waterfall of the channel it shows. On the worker thread.
class ChannelTap {
 public:
  virtual ~ChannelTap() = default;
  virtual int TappedChannel() const = 0;  // none when out of range
  virtual void OnTappedBaseband(std::span<const std::complex<float>> samples, double rate) = 0;
};

class HfdlBandDecoder final : public BandSink, private BasebandSink {
 public:
  // The band: its rate and centre; one modem per channel dial (kHz), fed in
  // that order. threads: how many run the modems (1: the caller's alone).
  // Nothing, with a one-line reason in error, when a channel does not fit.
  static std::unique_ptr<HfdlBandDecoder> Create(double bandRate, double centreKhz, std::span<const double> dialsKhz,
                                                 std::span<HfdlModem* const> modems, int threads,
                                                 std::string& error);
  ~HfdlBandDecoder() override;
  HfdlBandDecoder(const HfdlBandDecoder&) = delete;
  HfdlBandDecoder& operator=(const HfdlBandDecoder&) = delete;

  void ProcessBand(std::span<const std::complex<float>> band) override;
  double ChannelRate() const { return cutter_->OutputRate(); }
  // Before the worker runs; nullptr: none.
  void SetTap(ChannelTap* tap) { tap_ = tap; }

 private:
  HfdlBandDecoder(std::unique_ptr<ChannelCutter> cutter, std::span<HfdlModem* const> modems, int threads);
  void OnBaseband(std::size_t channel, std::span<const std::complex<float>> samples) override;
  // Feeds the pending baseband of the channels worker `index` owns.
  void FeedChannels(std::size_t index);
  void PoolThread(std::size_t index);

  std::unique_ptr<ChannelCutter> cutter_;
  std::vector<HfdlModem*> modems_;
  ChannelTap* tap_ = nullptr;
  // Each channel's baseband of the current block; written by the cutter on
  // the caller's thread, read by the channel's owner while the caller waits.
  std::vector<std::vector<std::complex<float>>> pending_;

  std::mutex lock_;  // guards the three below
  std::condition_variable work_;
  std::condition_variable done_;
  uint64_t generation_ = 0;  // one per block handed to the pool
  std::size_t busy_ = 0;     // pool threads still feeding this block
  bool stopping_ = false;
  std::vector<std::thread> pool_;  // the caller is worker 0; these are 1, 2, ...
};

}  // namespace talvir
