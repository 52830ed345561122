#include "outputs/json/line_sink.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <utility>

namespace talvir {
namespace {

using Clock = std::chrono::steady_clock;

// A peer that refused or failed is tried again after this long; lines for it
// meanwhile are dropped.
constexpr auto kRetryInterval = std::chrono::seconds(2);
constexpr int kConnectTimeoutMs = 3000;
constexpr int kSendPollMs = 200;
// At the end, queued lines get this long to leave.
constexpr auto kDrainTime = std::chrono::seconds(5);

}  // namespace

std::unique_ptr<StreamLineSink> StreamLineSink::Stdout() {
  return std::unique_ptr<StreamLineSink>(new StreamLineSink(stdout, false));
}

std::unique_ptr<StreamLineSink> StreamLineSink::OpenFile(const std::string& path, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "a");
  if (file == nullptr) {
    error = "--output json:file:" + path + ": cannot open the file for writing";
    return nullptr;
  }
  return std::unique_ptr<StreamLineSink>(new StreamLineSink(file, true));
}

StreamLineSink::~StreamLineSink() {
  if (owned_) std::fclose(file_);
}

void StreamLineSink::Send(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fputc('\n', file_);
  // A reader following the file or pipe sees each record as it comes.
  std::fflush(file_);
}

NetworkLineSink::NetworkLineSink(OutputTarget target, Warn warn, std::size_t queueLines)
    : target_(std::move(target)), warn_(std::move(warn)), capacity_(queueLines) {
  sender_ = std::thread([this] { Run(); });
}

NetworkLineSink::~NetworkLineSink() {
  {
    std::lock_guard lock(lock_);
    stopping_ = true;
  }
  wake_.notify_all();
  sender_.join();
  Disconnect();
}

void NetworkLineSink::Send(std::string_view line) {
  bool warn = false;
  {
    std::lock_guard lock(lock_);
    if (queue_.size() >= capacity_) {
      ++dropped_.queueFull;
      warn = !std::exchange(warnedQueueFull_, true);
    } else {
      queue_.emplace_back(line);
      queue_.back() += '\n';
    }
  }
  if (warn && warn_) warn_(target_.spec + ": the peer is too slow, records are being dropped");
  wake_.notify_one();
}

DropCounts NetworkLineSink::Dropped() const {
  std::lock_guard lock(lock_);
  return dropped_;
}

uint64_t NetworkLineSink::Sent() const {
  std::lock_guard lock(lock_);
  return sent_;
}

void NetworkLineSink::DropPeerDown(std::size_t lines) {
  bool warn = false;
  {
    std::lock_guard lock(lock_);
    dropped_.peerDown += lines;
    warn = !std::exchange(warnedPeerDown_, true);
  }
  if (warn && warn_) warn_(target_.spec + ": cannot reach the peer, records are being dropped");
}

bool NetworkLineSink::DrainOver() {
  if (!stopping_) return false;
  if (drainUntil_ == Clock::time_point{}) drainUntil_ = Clock::now() + kDrainTime;
  return Clock::now() > drainUntil_;
}

void NetworkLineSink::Run() {
  for (;;) {
    std::string line;
    {
      std::unique_lock lock(lock_);
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_ && (queue_.empty() || DrainOver())) {
        dropped_.peerDown += queue_.size();
        return;
      }
      line = std::move(queue_.front());
      queue_.pop_front();
    }
    if (Connect() && Transmit(line)) {
      std::lock_guard lock(lock_);
      ++sent_;
      continue;
    }
    Disconnect();
    DropPeerDown(1);
    std::lock_guard lock(lock_);
    if (stopping_) {
      dropped_.peerDown += queue_.size();
      return;
    }
  }
}

bool NetworkLineSink::Connect() {
  if (socket_ >= 0) return true;
  if (Clock::now() < nextAttempt_) return false;
  nextAttempt_ = Clock::now() + kRetryInterval;

  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = target_.kind == OutputTarget::Kind::kUdp ? SOCK_DGRAM : SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(target_.host.c_str(), std::to_string(target_.port).c_str(), &hints, &found) != 0) return false;
  for (addrinfo* a = found; a != nullptr && socket_ < 0; a = a->ai_next) {
    const int s = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (s < 0) continue;
    bool connected = connect(s, a->ai_addr, a->ai_addrlen) == 0;
    if (!connected && errno == EINPROGRESS) {
      pollfd p{s, POLLOUT, 0};
      int soError = 0;
      socklen_t length = sizeof soError;
      connected = poll(&p, 1, kConnectTimeoutMs) == 1 &&
                  getsockopt(s, SOL_SOCKET, SO_ERROR, &soError, &length) == 0 && soError == 0;
    }
    if (connected) {
      socket_ = s;
    } else {
      close(s);
    }
  }
  freeaddrinfo(found);
  return socket_ >= 0;
}

bool NetworkLineSink::Transmit(const std::string& line) {
  std::size_t sent = 0;
  while (sent < line.size()) {
    const ssize_t n = send(socket_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      pollfd p{socket_, POLLOUT, 0};
      poll(&p, 1, kSendPollMs);
      std::lock_guard lock(lock_);
      // A peer that takes nothing while the queue is full, or at the end, is
      // as good as gone.
      if (queue_.size() >= capacity_ || DrainOver()) return false;
      continue;
    }
    return false;
  }
  return true;
}

void NetworkLineSink::Disconnect() {
  if (socket_ >= 0) close(socket_);
  socket_ = -1;
}

}  // namespace talvir
