#pragma once
// An airband band decoded on the capture cycle. The capture layer's own
// thread reads the I/Q, cuts and demodulates the channels and hands each
// block of their audio to the worker, while the capture layer gets silence
// of the same length: the worker, the timers and the stamps then run on the
// band's time, a file ends where the band ends, and the heavy filtering
// runs beside the decoders on a core of its own.

#include <atomic>
#include <complex>
#include <memory>
#include <span>
#include <vector>

#include "app/airband_channels.h"
#include "audio/float_frame_source.h"
#include "audio/frame_reader.h"
#include "audio/input_source.h"
#include "common/pointer_ring.h"

namespace talvir {

class AirbandFeed final : public FrameReader, private ChannelAudioSink {
 public:
  // iq: the band, interleaved I and Q, at the rate `channels` was made for.
  AirbandFeed(std::unique_ptr<FloatFrameSource> iq, std::unique_ptr<AirbandChannels> channels);

  // The capture layer's thread: one block of silence (fewer frames at the
  // end of the band) for one block of every channel's audio, queued.
  std::size_t ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& stop) override;

  // The worker, once after each capture block: that block's audio to the
  // decoders, or silence where none was queued (the flush after the end).
  void DecodeBlock(ChannelAudioSink& decoders);

 private:
  // One block of every channel's audio, channel after channel.
  struct Slot {
    std::vector<float> audio;
    std::size_t frames = 0;
  };

  void OnChannelAudio(std::size_t channel, std::span<const float> audio) override;
  std::size_t FramesReady() const;
  Slot* FreeSlot(const std::atomic<bool>& stop);

  std::unique_ptr<FloatFrameSource> iq_;
  std::unique_ptr<AirbandChannels> channels_;
  // More than the capture buffers, so the producer, never more than those
  // ahead of the worker, always finds one.
  std::vector<Slot> slots_;
  PointerRing<Slot> free_;
  PointerRing<Slot> queued_;
  // The capture layer's thread only.
  std::vector<std::complex<float>> band_;
  std::vector<std::vector<float>> pending_;  // each channel's audio not yet queued
  bool ended_ = false;
  // The worker only.
  std::vector<float> silence_;
};

// The band of --input as the capture layer's input, with the feed that
// carries its channels' audio (owned by the input's reader); nothing, with
// the reason in error, when the input or a channel does not fit.
std::optional<OpenedInput> OpenAirbandInput(const InputSpec& spec, double centreHz, std::span<const double> channelsMhz,
                                            AirbandFeed*& feed, std::string& error);

}  // namespace talvir
