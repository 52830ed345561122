#pragma once
// The one thread that decodes: it takes each filled capture block, hands the
// next buffer back to the driver, and runs the block through the decoders.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include "app/channel_router.h"
#include "audio/wave_in.h"

namespace talvir {

// Taken after every pass, so an idle worker polls at most 1000 times a
// second and a backlog drains one block per pass.
inline constexpr std::chrono::milliseconds kWorkerPassSleep{1};

// When the worker pauses. A file decoded faster than real time is all
// backlog: pausing after each of its blocks would only slow it down.
enum class WorkerPause { kAfterEveryPass, kOnlyWhenIdle };

class AudioWorker {
 public:
  AudioWorker(WaveIn& waveIn, const Settings& settings, DecoderSinks sinks, UiLink& ui,
              WorkerPause pause = WorkerPause::kAfterEveryPass)
      : waveIn_(waveIn), router_(settings, sinks, ui), pause_(pause) {}
  // Ends and joins the thread if it still runs.
  ~AudioWorker();
  AudioWorker(const AudioWorker&) = delete;
  AudioWorker& operator=(const AudioWorker&) = delete;

  // Runs AudioWorkerThread until the capture layer's workerStop is set.
  void Start();
  void Join();

  // One pass without the sleep: true when a block was processed.
  bool RunOnce();

  uint64_t BlocksProcessed() const { return blocksProcessed_.load(); }
  // Runs on the worker after each block, with the count of blocks processed:
  // a file decode runs its timers there, between two blocks, so no other
  // thread can move them against the audio. Set before Start.
  void SetAfterBlock(std::function<void(uint64_t blocksProcessed)> afterBlock) {
    afterBlock_ = std::move(afterBlock);
  }

 private:
  void AudioWorkerThread();

  WaveIn& waveIn_;
  ChannelRouter router_;
  const WorkerPause pause_;
  std::thread thread_;
  std::atomic<uint64_t> blocksProcessed_{0};
  std::function<void(uint64_t)> afterBlock_;
};

}  // namespace talvir
