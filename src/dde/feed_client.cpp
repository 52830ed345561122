#include "dde/feed_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace talvir {

FeedConnection::~FeedConnection() {
  if (fd_ >= 0) close(fd_);
}

bool FeedConnection::Open(int port, std::string& error) {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) {
    error = std::strerror(errno);
    return false;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    error = std::strerror(errno);
    close(fd_);
    fd_ = -1;
    return false;
  }
  return true;
}

bool FeedConnection::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool FeedConnection::Fill(std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd polled{fd_, POLLIN, 0};
    const int ready = poll(&polled, 1, static_cast<int>(std::max<int64_t>(left.count(), 0)));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;  // timed out
    char chunk[4096];
    const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ended_ = true;
      return false;
    }
    buffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
  }
}

std::optional<FeedConnection::Message> FeedConnection::TakeMessage() {
  const std::size_t end = buffer_.find('\n');
  if (end == std::string::npos) return std::nullopt;
  std::string line = buffer_.substr(0, end);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const auto header = ParseDdeDataHeader(line);
  if (!header) {
    buffer_.erase(0, end + 1);
    return Message{std::move(line), std::nullopt};
  }
  // The text, its terminator, and the LF after them.
  if (buffer_.size() < end + 1 + header->bytes + 1) return std::nullopt;
  std::string text = buffer_.substr(end + 1, header->bytes);
  buffer_.erase(0, end + 1 + header->bytes + 1);
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return Message{std::move(line), FeedText{header->kind, header->item, std::move(text), header->bytes}};
}

std::optional<FeedConnection::Message> FeedConnection::NextMessage(std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    if (auto message = TakeMessage()) return message;
    if (!Fill(deadline)) return std::nullopt;
  }
}

std::optional<std::string> FeedConnection::Command(std::string_view line, std::chrono::milliseconds timeout) {
  if (!Send(std::string(line) + "\n")) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    auto message = NextMessage(deadline);
    if (!message) return std::nullopt;
    if (!message->text) return message->line;
    // Advised texts that come first wait for NextText; a request's answer is
    // its text, kept the same way.
    const bool answer = message->text->kind == "DATA";
    pending_.push_back(std::move(*message->text));
    if (answer) return message->line;
  }
}

std::optional<FeedText> FeedConnection::NextText(std::chrono::milliseconds timeout) {
  if (!pending_.empty()) {
    FeedText text = std::move(pending_.front());
    pending_.erase(pending_.begin());
    return text;
  }
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    auto message = NextMessage(deadline);
    if (!message) return std::nullopt;
    if (message->text) return std::move(message->text);
  }
}

}  // namespace talvir
