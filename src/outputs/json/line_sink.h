#pragma once
// Destinations of JSON lines. A file or stdout is written at once; a network
// peer gets its lines from a bounded queue on a sender thread of its own, so
// that a peer that is down or slow never holds up the decoder: what cannot be
// sent is dropped, counted and reported once per kind.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "outputs/json/output_target.h"

namespace talvir {

class LineSink {
 public:
  virtual ~LineSink() = default;
  // One line, without its line end.
  virtual void Send(std::string_view line) = 0;
};

class StreamLineSink final : public LineSink {
 public:
  static std::unique_ptr<StreamLineSink> Stdout();
  // Appends to the file; none, with `error` set, when it cannot be opened.
  static std::unique_ptr<StreamLineSink> OpenFile(const std::string& path, std::string& error);
  ~StreamLineSink() override;
  StreamLineSink(const StreamLineSink&) = delete;
  StreamLineSink& operator=(const StreamLineSink&) = delete;

  void Send(std::string_view line) override;

 private:
  StreamLineSink(std::FILE* file, bool owned) : file_(file), owned_(owned) {}
  std::FILE* file_;
  bool owned_;
};

struct DropCounts {
  uint64_t peerDown = 0;   // not connected, refused or failed
  uint64_t queueFull = 0;  // the peer took lines slower than they came
  uint64_t Total() const { return peerDown + queueFull; }
};

class NetworkLineSink final : public LineSink {
 public:
  // Says, once per kind, that lines are being dropped. Called on either the
  // decoding thread or the sender thread.
  using Warn = std::function<void(const std::string&)>;
  static constexpr std::size_t kQueueLines = 4096;

  NetworkLineSink(OutputTarget target, Warn warn, std::size_t queueLines = kQueueLines);
  // Sends what is queued while the peer takes it (a few seconds at most),
  // then stops.
  ~NetworkLineSink() override;
  NetworkLineSink(const NetworkLineSink&) = delete;
  NetworkLineSink& operator=(const NetworkLineSink&) = delete;

  void Send(std::string_view line) override;
  DropCounts Dropped() const;
  uint64_t Sent() const;  // records the peer took
  const OutputTarget& Target() const { return target_; }

 private:
  void Run();
  bool Connect();
  bool Transmit(const std::string& line);
  void Disconnect();
  void DropPeerDown(std::size_t lines);
  // Under the lock: stopping, and the time to send what is queued is up.
  bool DrainOver();

  const OutputTarget target_;
  const Warn warn_;
  const std::size_t capacity_;
  std::thread sender_;

  mutable std::mutex lock_;  // the queue, the counts and stopping_
  std::condition_variable wake_;
  std::deque<std::string> queue_;
  DropCounts dropped_;
  uint64_t sent_ = 0;
  bool stopping_ = false;
  bool warnedPeerDown_ = false;
  bool warnedQueueFull_ = false;

  // The sender thread's own.
  int socket_ = -1;
  std::chrono::steady_clock::time_point nextAttempt_{};
  std::chrono::steady_clock::time_point drainUntil_{};  // under the lock
};

}  // namespace talvir
