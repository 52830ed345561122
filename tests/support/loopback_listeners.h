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

// Takes one connection and keeps what it sends; after `keepLines` lines it
// hangs up, with `read` false it never reads.
class TcpListener {
 public:
  explicit TcpListener(std::size_t keepLines = SIZE_MAX, bool read = true) {
    fd_ = BoundSocket(SOCK_STREAM, port_);
    listen(fd_, 1);
    thread_ = std::thread([this, keepLines, read] {
      const int peer = accept(fd_, nullptr, nullptr);
      if (!read) {
        while (!stop_) usleep(10000);
      } else {
        char buffer[4096];
        ssize_t n;
        while (static_cast<std::size_t>(std::count(received_.begin(), received_.end(), '\n')) < keepLines &&
               (n = recv(peer, buffer, sizeof buffer, 0)) > 0) {
          received_.append(buffer, static_cast<std::size_t>(n));
        }
      }
      close(peer);
    });
  }
  ~TcpListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    close(fd_);
  }
  int port() const { return port_; }
  // Once the sender has closed (or the listener hung up).
  std::string Received() {
    thread_.join();
    return received_;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::string received_;
  std::thread thread_;
};

// Keeps every datagram sent to it, with room for a whole decode.
class UdpListener {
 public:
  UdpListener() {
    fd_ = BoundSocket(SOCK_DGRAM, port_);
    const int size = 4 << 20;
    setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    thread_ = std::thread([this] {
      char buffer[65536];
      for (;;) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 50) == 1) {
          const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
          std::lock_guard lock(lock_);
          if (n > 0) received_.append(buffer, static_cast<std::size_t>(n));
        } else if (stop_) {
          return;
        }
      }
    });
  }
  ~UdpListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    close(fd_);
  }
  int port() const { return port_; }
  // The lines so far, while it listens on.
  std::size_t Lines() const {
    std::lock_guard lock(lock_);
    return static_cast<std::size_t>(std::count(received_.begin(), received_.end(), '\n'));
  }
  std::string Received() {
    stop_ = true;
    thread_.join();
    return received_;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex lock_;  // received_
  std::string received_;
  std::thread thread_;
};

}  // namespace talvir::testing
