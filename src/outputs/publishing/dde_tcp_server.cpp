#include "outputs/publishing/dde_tcp_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "outputs/publishing/dde_protocol.h"

namespace talvir {

struct DdeTcpServer::Connection {
  int fd = -1;
  std::string input;
  std::string output;
  bool advising[2] = {false, false};  // by DdeLink
  bool connected = false;
  bool closing = false;  // close once the output has gone
};

namespace {

int LinkIndex(DdeLink link) { return link == DdeLink::kHfdl ? 0 : 1; }

}  // namespace

DdeTcpServer::DdeTcpServer(DdeServer& server) : server_(server) {}

DdeTcpServer::~DdeTcpServer() { Stop(); }

std::string DdeTcpServer::Listen(int port) {
  if (listenFd_ >= 0) return "already listening";
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return std::string("cannot make a socket: ") + std::strerror(errno);
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 8) != 0) {
    const std::string why = errno == EADDRINUSE ? "the port is in use" : std::strerror(errno);
    close(fd);
    return "cannot listen on 127.0.0.1 port " + std::to_string(port) + ": " + why;
  }
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wakeFd_ < 0) {
    close(fd);
    return std::string("cannot make an event: ") + std::strerror(errno);
  }
  listenFd_ = fd;
  port_ = ntohs(address.sin_port);
  stop_ = false;
  thread_ = std::thread([this] { Serve(); });
  return {};
}

void DdeTcpServer::Stop() {
  if (listenFd_ < 0) return;
  stop_ = true;
  Wake();
  thread_.join();
  for (const auto& connection : connections_) close(connection->fd);
  connections_.clear();
  close(listenFd_);
  close(wakeFd_);
  listenFd_ = wakeFd_ = -1;
  port_ = 0;
}

void DdeTcpServer::Wake() {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t ignored = write(wakeFd_, &one, sizeof one);
}

void DdeTcpServer::DdePostAdvise() {
  if (listenFd_ < 0) return;
  bool queued = false;
  {
    std::lock_guard lock(connectionsLock_);
    for (const DdeLink link : {DdeLink::kAcars, DdeLink::kHfdl}) {
      if (!server_.AdviseDue(link)) continue;
      const std::string item = server_.AdviseItem(link);
      for (const auto& connection : connections_) {
        if (!connection->advising[LinkIndex(link)] || connection->closing) continue;
        // An advise request takes a line like any request; the lines are
        // shared out among the links, and one that finds the queue emptied
        // by another gets nothing rather than an empty text.
        const std::string text = server_.Request(item);
        if (text.empty()) continue;
        connection->output += DdeDataFrame("ADVDATA", item, text);
        queued = true;
      }
    }
  }
  if (queued) Wake();
}

void DdeTcpServer::Serve() {
  std::vector<pollfd> polled;
  while (!stop_) {
    polled.clear();
    polled.push_back({listenFd_, POLLIN, 0});
    polled.push_back({wakeFd_, POLLIN, 0});
    {
      std::lock_guard lock(connectionsLock_);
      for (const auto& connection : connections_) {
        const short events = static_cast<short>(POLLIN | (connection->output.empty() ? 0 : POLLOUT));
        polled.push_back({connection->fd, events, 0});
      }
    }
    if (poll(polled.data(), polled.size(), -1) < 0 && errno != EINTR) return;
    if (polled[1].revents != 0) {
      uint64_t count;
      [[maybe_unused]] const ssize_t ignored = read(wakeFd_, &count, sizeof count);
    }
    if (polled[0].revents & POLLIN) Accept();
    std::lock_guard lock(connectionsLock_);
    // Connections accepted above are polled from the next round on.
    for (std::size_t i = 2; i < polled.size(); ++i) {
      Connection& connection = *connections_[i - 2];
      bool keep = true;
      if (polled[i].revents & (POLLIN | POLLHUP | POLLERR)) keep = Receive(connection);
      if (keep) keep = Send(connection);
      if (!keep) connection.fd = -connection.fd - 1;  // marked: closed below
    }
    std::erase_if(connections_, [](const std::unique_ptr<Connection>& connection) {
      if (connection->fd >= 0) return false;
      close(-connection->fd - 1);
      return true;
    });
  }
}

void DdeTcpServer::Accept() {
  for (;;) {
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    auto connection = std::make_unique<Connection>();
    connection->fd = fd;
    std::lock_guard lock(connectionsLock_);
    connections_.push_back(std::move(connection));
  }
}

bool DdeTcpServer::Receive(Connection& connection) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = recv(connection.fd, buffer, sizeof buffer, 0);
    if (n == 0) return false;  // the client hung up, maybe mid-line: that line is dropped
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) break;
      if (errno == EINTR) continue;
      return false;
    }
    if (connection.closing) continue;
    connection.input.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = connection.input.find('\n')) != std::string::npos) {
      Answer(connection, std::string_view(connection.input).substr(0, end));
      connection.input.erase(0, end + 1);
    }
    if (connection.input.size() > kDdeMaxCommandLength) {
      connection.output += "ERROR line too long\n";
      connection.closing = true;
      connection.input.clear();
    }
  }
  return connection.output.size() <= kMaxPendingOutput;
}

void DdeTcpServer::Answer(Connection& connection, std::string_view line) {
  const DdeCommand command = ParseDdeCommand(line);
  auto verdict = [&connection](bool ok) { connection.output += ok ? "OK\n" : "REFUSED\n"; };
  if (command.kind == DdeCommand::Kind::kInvalid) {
    connection.output += "ERROR " + command.error + "\n";
    return;
  }
  if (command.kind == DdeCommand::Kind::kConnect) {
    connection.connected = server_.Connect(command.first, command.second);
    verdict(connection.connected);
    return;
  }
  if (!connection.connected) {
    connection.output += "ERROR not connected: CONNECT service topic first\n";
    return;
  }
  DdeLink link;
  switch (command.kind) {
    case DdeCommand::Kind::kAdviseStart:
      if (server_.AdviseStart(command.first) && server_.ItemLink(command.first, link)) {
        connection.advising[LinkIndex(link)] = true;
        verdict(true);
      } else {
        verdict(false);
      }
      return;
    case DdeCommand::Kind::kAdviseStop:
      if (server_.ItemLink(command.first, link)) connection.advising[LinkIndex(link)] = false;
      verdict(server_.AdviseStop(command.first));
      return;
    case DdeCommand::Kind::kRequest:
      connection.output += DdeDataFrame("DATA", command.first, server_.Request(command.first));
      return;
    default: return;
  }
}

bool DdeTcpServer::Send(Connection& connection) {
  while (!connection.output.empty()) {
    const ssize_t n = send(connection.fd, connection.output.data(), connection.output.size(), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) break;
      return false;
    }
    connection.output.erase(0, static_cast<std::size_t>(n));
  }
  if (connection.output.size() > kMaxPendingOutput) return false;
  return !(connection.closing && connection.output.empty());
}

}  // namespace talvir
