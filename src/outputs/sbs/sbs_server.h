#pragma once
// Serves Basestation lines over TCP: each aircraft position an HFDL report
// gives goes to every connected client at once. Clients connect and only
// read; one that stops reading is dropped, never waited for.

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/record_sink.h"
#include "outputs/log_files.h"

namespace talvir {

class SbsServer final : public RecordSink {
 public:
  SbsServer() = default;
  ~SbsServer() override;
  SbsServer(const SbsServer&) = delete;
  SbsServer& operator=(const SbsServer&) = delete;

  // Listens on `host` (an address; 127.0.0.1 unless the user widens it),
  // port 0 meaning any free one. Returns an empty text, or why it cannot.
  std::string Listen(const std::string& host, int port);
  int Port() const { return port_; }
  std::size_t Clients() const;
  // The stamps of the lines. Before decoding starts.
  void SetClock(UtcClock clock) { clock_ = std::move(clock); }

  void OnLpdu(const BurstInfo& burst, const LpduRecord& lpdu) override;

 private:
  void AcceptLoop();
  void Broadcast(const std::string& line);

  int listenFd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread acceptor_;
  mutable std::mutex clientsLock_;
  std::vector<int> clients_;
  UtcClock clock_;
  // The decoding thread's own: ICAO addresses by ground station * 256 + AID,
  // from the log-on confirms heard.
  std::map<int, int> icaoByLogon_;
};

}  // namespace talvir
