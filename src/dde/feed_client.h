#pragma once
// One conversation with the live feed over loopback TCP: commands and their
// answers, and the texts the server sends (requested or advised).

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "outputs/publishing/dde_protocol.h"

namespace talvir {

struct FeedText {
  std::string kind;  // "DATA" or "ADVDATA"
  std::string item;
  std::string text;  // without its terminator
  std::size_t bytes = 0;  // as sent, with the terminator
};

class FeedConnection {
 public:
  FeedConnection() = default;
  ~FeedConnection();
  FeedConnection(const FeedConnection&) = delete;
  FeedConnection& operator=(const FeedConnection&) = delete;

  // Connects to 127.0.0.1:port; false with a reason when nobody listens.
  bool Open(int port, std::string& error);
  bool IsOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  // Sends raw bytes (a command with its LF, or a part of one).
  bool Send(std::string_view bytes);
  // Sends a command line and returns the server's one-line answer ("OK",
  // "REFUSED", "ERROR ..."), skipping advised texts that arrive meanwhile
  // (kept for NextText). Nothing when the connection ended or timed out.
  std::optional<std::string> Command(std::string_view line,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // The next DATA or ADVDATA text; nothing when the connection ended or
  // nothing arrived in time.
  std::optional<FeedText> NextText(std::chrono::milliseconds timeout);
  // Whether the server closed the connection.
  bool Ended() const { return ended_; }

 private:
  // An answer line, or a text with its header line.
  struct Message {
    std::string line;
    std::optional<FeedText> text;
  };
  // The next whole message, taken from what was read; nothing while it is
  // incomplete (nothing is taken then).
  std::optional<Message> TakeMessage();
  std::optional<Message> NextMessage(std::chrono::steady_clock::time_point deadline);
  // Reads what arrives by the deadline; false when nothing did.
  bool Fill(std::chrono::steady_clock::time_point deadline);

  int fd_ = -1;
  bool ended_ = false;
  std::string buffer_;
  std::vector<FeedText> pending_;  // advised while waiting for an answer
};

}  // namespace talvir
