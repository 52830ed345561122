#pragma once
// The live feed's transport: a loopback TCP server speaking the line protocol
// of dde_protocol.h, one conversation per connection, on its own thread.
// Nothing the decoder or the timers call ever waits for a client: sockets are
// non-blocking, answers and advises go into each connection's output buffer,
// and a client that lets too much pile up (it stopped reading) is dropped.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "outputs/publishing/dde_server.h"

namespace talvir {

class DdeTcpServer {
 public:
  // What one connection may leave unread before it is dropped.
  static constexpr std::size_t kMaxPendingOutput = 64 * 1024;

  explicit DdeTcpServer(DdeServer& server);
  ~DdeTcpServer();
  DdeTcpServer(const DdeTcpServer&) = delete;
  DdeTcpServer& operator=(const DdeTcpServer&) = delete;

  // Listens on 127.0.0.1 (port 0: any free port) and starts serving. Returns
  // an empty text, or why it cannot listen.
  std::string Listen(int port);
  // The port listened on; 0 before Listen succeeded.
  int Port() const { return port_; }
  void Stop();

  // Every 3 s: for each link with a line queued and an advise loop running,
  // one line to each connection advising on it, in connection order.
  void DdePostAdvise();

 private:
  struct Connection;

  void Serve();
  void Accept();
  // Reads what arrived and answers each whole line; false when the
  // connection is to be closed.
  bool Receive(Connection& connection);
  void Answer(Connection& connection, std::string_view line);
  bool Send(Connection& connection);
  void Wake();

  DdeServer& server_;
  int listenFd_ = -1;
  int wakeFd_ = -1;  // eventfd: output waits for the serving thread
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex connectionsLock_;  // the connection list and each one's buffers
  std::vector<std::unique_ptr<Connection>> connections_;
  std::thread thread_;
};

}  // namespace talvir
