#include "app/audio_worker.h"

namespace talvir {

AudioWorker::~AudioWorker() {
  if (thread_.joinable()) {
    waveIn_.workerStop = 1;
    thread_.join();
  }
}

void AudioWorker::Start() {
  if (!thread_.joinable()) thread_ = std::thread(&AudioWorker::AudioWorkerThread, this);
}

void AudioWorker::Join() {
  if (thread_.joinable()) thread_.join();
}

void AudioWorker::AudioWorkerThread() {
  while (waveIn_.workerStop.load() == 0) {
    if (!RunOnce() || pause_ == WorkerPause::kAfterEveryPass) std::this_thread::sleep_for(kWorkerPassSleep);
  }
}

bool AudioWorker::RunOnce() {
  if (waveIn_.captureClosing.load() != 0) return false;
  const CaptureBlock* block = waveIn_.TakeBlock();
  if (block == nullptr) return false;
  // A different buffer from the one being read: the ring is 10 ahead.
  waveIn_.Requeue();
  router_.ProcessBlock(*block);
  // Counted once its ticks have run: a front end that sees every queued
  // block counted knows the worker has finished with them.
  const uint64_t processed = blocksProcessed_.load() + 1;
  if (afterBlock_) afterBlock_(processed);
  blocksProcessed_.store(processed);
  return true;
}

}  // namespace talvir
