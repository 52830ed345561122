#include "app/airband_feed.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "audio/capture_buffer.h"

namespace talvir {
namespace {

constexpr int kSlots = kCaptureBufferCount + 2;
constexpr std::chrono::milliseconds kSlotWait{1};

}  // namespace

AirbandFeed::AirbandFeed(std::unique_ptr<FloatFrameSource> iq, std::unique_ptr<AirbandChannels> channels)
    : iq_(std::move(iq)),
      channels_(std::move(channels)),
      slots_(kSlots),
      free_(kSlots),
      queued_(kSlots),
      band_(channels_->HopSamples()),
      pending_(channels_->Channels()),
      silence_(kBlockFrames) {
  for (Slot& slot : slots_) {
    slot.audio.resize(channels_->Channels() * kBlockFrames);
    free_.Push(&slot);
  }
  // A block, and what one hop of the band adds, resampler bursts included.
  for (auto& audio : pending_) audio.reserve(4 * kBlockFrames);
}

std::size_t AirbandFeed::ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& stop) {
  const std::size_t wanted = out.size() / kCaptureBytesPerFrame;
  // The band is read a hop at a time, so what waits stays within a block
  // and a hop.
  while (!ended_ && FramesReady() < wanted && !stop.load()) {
    const std::size_t frames = iq_->ReadFloatFrames(
        std::span(reinterpret_cast<float*>(band_.data()), 2 * band_.size()), stop);
    if (frames == 0) {
      if (!stop.load()) channels_->Finish(*this);
      ended_ = true;
      break;
    }
    channels_->Process(std::span(band_).first(frames), *this);
  }
  const std::size_t frames = std::min(wanted, FramesReady());
  Slot* slot = frames > 0 ? FreeSlot(stop) : nullptr;
  if (slot == nullptr) return 0;
  for (std::size_t c = 0; c < pending_.size(); ++c) {
    std::vector<float>& audio = pending_[c];
    std::copy_n(audio.begin(), frames, slot->audio.begin() + static_cast<std::ptrdiff_t>(c * kBlockFrames));
    audio.erase(audio.begin(), audio.begin() + static_cast<std::ptrdiff_t>(frames));
  }
  slot->frames = frames;
  queued_.Push(slot);
  std::fill_n(out.begin(), frames * kCaptureBytesPerFrame, uint8_t{0});
  return frames;
}

void AirbandFeed::DecodeBlock(ChannelAudioSink& decoders) {
  Slot* slot = queued_.Pop();
  for (std::size_t c = 0; c < channels_->Channels(); ++c) {
    decoders.OnChannelAudio(c, slot != nullptr ? std::span(slot->audio).subspan(c * kBlockFrames, slot->frames)
                                               : std::span(silence_));
  }
  if (slot != nullptr) free_.Push(slot);
}

void AirbandFeed::OnChannelAudio(std::size_t channel, std::span<const float> audio) {
  pending_[channel].insert(pending_[channel].end(), audio.begin(), audio.end());
}

std::size_t AirbandFeed::FramesReady() const {
  std::size_t ready = pending_.empty() ? 0 : pending_.front().size();
  for (const auto& audio : pending_) ready = std::min(ready, audio.size());
  return ready;
}

AirbandFeed::Slot* AirbandFeed::FreeSlot(const std::atomic<bool>& stop) {
  for (;;) {
    if (Slot* slot = free_.Pop()) return slot;
    if (stop.load()) return nullptr;
    std::this_thread::sleep_for(kSlotWait);
  }
}

std::optional<OpenedInput> OpenAirbandInput(const InputSpec& spec, double centreHz, std::span<const double> channelsMhz,
                                            AirbandFeed*& feed, std::string& error) {
  std::optional<OpenedIq> iq = OpenIqBand(spec, error);
  if (!iq) return std::nullopt;
  std::vector<double> channelsHz;
  std::string list;
  for (const double mhz : channelsMhz) {
    channelsHz.push_back(mhz * 1e6);
    char text[16];
    std::snprintf(text, sizeof text, "%s%.3f", list.empty() ? "" : ", ", mhz);
    list += text;
  }
  const double rate = iq->samples->Rate();
  auto channels = AirbandChannels::Create(rate, centreHz, channelsHz, error);
  if (!channels) return std::nullopt;
  OpenedInput input;
  char description[96];
  std::snprintf(description, sizeof description, "I/Q at %.0f samples/s around %.3f MHz: ACARS on ", rate,
                centreHz / 1e6);
  input.description = (iq->description.empty() ? description : iq->description + ": ACARS on ") + list + " MHz";
  input.seconds = iq->seconds;
  input.live = iq->live;
  input.warnings = std::move(iq->warnings);
  auto reader = std::make_unique<AirbandFeed>(std::move(iq->samples), std::move(channels));
  feed = reader.get();
  input.reader = std::move(reader);
  return input;
}

}  // namespace talvir
