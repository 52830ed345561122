#pragma once
// Listeners on free loopback ports that keep what peers send them, for the
// record outputs' tests.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace talvir::testing {

inline int BoundSocket(int type, int& port) {
  const int fd = socket(AF_INET, type, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

// A loopback port nobody listens on.
inline int DeadPort() {
  int port = 0;
  close(BoundSocket(SOCK_STREAM, port));
  return port;
}

inline std::size_t LineCount(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A bound socket, the thread that serves it and what it kept; the thread
// ends once `stop_` is set.
class Listener {
 public:
  explicit Listener(int type) { fd_ = BoundSocket(type, port_); }
  ~Listener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    close(fd_);
  }
  int port() const { return port_; }
  // Once the thread has ended (stopped, or the peer gone).
  std::string Received() {
    stop_ = true;
    thread_.join();
    return received_;
  }

 protected:
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex lock_;  // received_
  std::string received_;
  std::thread thread_;
};

// Takes one connection and keeps what it sends; after `keepLines` lines it
// hangs up, with `read` false it never reads.
class TcpListener : public Listener {
 public:
  explicit TcpListener(std::size_t keepLines = SIZE_MAX, bool read = true) : Listener(SOCK_STREAM) {
    listen(fd_, 1);
    thread_ = std::thread([this, keepLines, read] {
      const int peer = accept(fd_, nullptr, nullptr);
      char buffer[4096];
      ssize_t n;
      while (!read && !stop_) usleep(10000);
      while (read && LineCount(received_) < keepLines && (n = recv(peer, buffer, sizeof buffer, 0)) > 0)
        received_.append(buffer, static_cast<std::size_t>(n));
      close(peer);
    });
  }
  // Waits for the sender to close (or the listener to hang up).
  std::string Received() {
    thread_.join();
    return received_;
  }
};

// Keeps every datagram sent to it, with room for a whole decode.
class UdpListener : public Listener {
 public:
  UdpListener() : Listener(SOCK_DGRAM) {
    const int size = 4 << 20;
    setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    thread_ = std::thread([this] {
      char buffer[65536];
      for (pollfd p{fd_, POLLIN, 0}; poll(&p, 1, 50) == 1 || !stop_;) {
        if ((p.revents & POLLIN) == 0) continue;
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        std::lock_guard lock(lock_);
        if (n > 0) received_.append(buffer, static_cast<std::size_t>(n));
      }
    });
  }
  // The lines so far, while it listens on.
  std::size_t Lines() const {
    std::lock_guard lock(lock_);
    return LineCount(received_);
  }
};

}  // namespace talvir::testing
