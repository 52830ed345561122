#include "app/hfdl_band_decoder.h"

#include "app/hfdl_band_plan.h"
#include "modem/baseband_front_end.h"

namespace talvir {

std::unique_ptr<HfdlBandDecoder> HfdlBandDecoder::Create(double bandRate, double centreKhz,
                                                         std::span<const double> dialsKhz,
                                                         std::span<HfdlModem* const> modems, int threads,
                                                         std::string& error) {
  error = HfdlBandError(bandRate, centreKhz, dialsKhz);
  if (!error.empty()) return nullptr;
  std::vector<double> offsetsHz;
  for (const double dial : dialsKhz) offsetsHz.push_back(HfdlCarrierOffsetHz(dial, centreKhz));
  const ChannelShape shape{DecimationFor(bandRate, BasebandFrontEnd::kMinRate), kHfdlPassHz, kHfdlStopHz};
  auto cutter = ChannelCutter::Create(bandRate, shape, offsetsHz, error);
  if (!cutter) return nullptr;
  for (HfdlModem* modem : modems) {
    if (!modem->SetBasebandRate(cutter->OutputRate())) {
      error = "the channels' rate does not suit the modem";
      return nullptr;
    }
  }
  return std::unique_ptr<HfdlBandDecoder>(new HfdlBandDecoder(std::move(cutter), modems, threads));
}

HfdlBandDecoder::HfdlBandDecoder(std::unique_ptr<ChannelCutter> cutter, std::span<HfdlModem* const> modems,
                                 int threads)
    : cutter_(std::move(cutter)), modems_(modems.begin(), modems.end()), pending_(modems.size()) {
  const auto workers = std::max<std::size_t>(1, std::min<std::size_t>(static_cast<std::size_t>(threads), modems.size()));
  for (std::size_t index = 1; index < workers; ++index) pool_.emplace_back([this, index] { PoolThread(index); });
}

HfdlBandDecoder::~HfdlBandDecoder() {
  {
    std::lock_guard lock(lock_);
    stopping_ = true;
  }
  work_.notify_all();
  for (std::thread& thread : pool_) thread.join();
}

void HfdlBandDecoder::OnBaseband(std::size_t channel, std::span<const std::complex<float>> samples) {
  pending_[channel].insert(pending_[channel].end(), samples.begin(), samples.end());
}

void HfdlBandDecoder::ProcessBand(std::span<const std::complex<float>> band) {
  cutter_->Process(band, *this);
  if (tap_ != nullptr) {
    const auto tapped = static_cast<std::size_t>(tap_->TappedChannel());
    if (tapped < pending_.size()) tap_->OnTappedBaseband(pending_[tapped], ChannelRate());
  }
  {
    std::lock_guard lock(lock_);
    ++generation_;
    busy_ = pool_.size();
  }
  work_.notify_all();
  FeedChannels(0);
  std::unique_lock lock(lock_);
  done_.wait(lock, [this] { return busy_ == 0; });
}

void HfdlBandDecoder::FeedChannels(std::size_t index) {
  const std::size_t workers = pool_.size() + 1;
  for (std::size_t channel = index; channel < modems_.size(); channel += workers) {
    std::vector<std::complex<float>>& samples = pending_[channel];
    if (samples.empty()) continue;
    modems_[channel]->ModemFeedBaseband(samples);
    samples.clear();
  }
}

void HfdlBandDecoder::PoolThread(std::size_t index) {
  uint64_t seen = 0;
  for (;;) {
    {
      std::unique_lock lock(lock_);
      work_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
    }
    FeedChannels(index);
    {
      std::lock_guard lock(lock_);
      --busy_;
    }
    done_.notify_one();
  }
}

}  // namespace talvir
