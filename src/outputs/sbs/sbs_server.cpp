#include "outputs/sbs/sbs_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "outputs/sbs/sbs_line.h"
#include "tracking/position_text.h"

namespace talvir {
namespace {

constexpr int kAcceptPollMs = 200;  // how soon the acceptor sees a stop

int LogonKey(int groundStationId, int aid) { return groundStationId * 256 + aid; }

// Map programs take letters and digits as a callsign.
std::string Callsign(const std::string& flightId) {
  std::string callsign;
  for (const char c : flightId) {
    if (std::isalnum(static_cast<unsigned char>(c))) callsign += c;
  }
  return callsign;
}

}  // namespace

SbsServer::~SbsServer() {
  stop_ = true;
  if (acceptor_.joinable()) acceptor_.join();
  if (listenFd_ >= 0) close(listenFd_);
  for (const int client : clients_) close(client);
}

std::string SbsServer::Listen(const std::string& host, int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) return "'" + host + "' is not an IPv4 address";
  listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int reuse = 1;
  setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
  if (bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listenFd_, 8) != 0) {
    const std::string why = std::strerror(errno);
    close(listenFd_);
    listenFd_ = -1;
    return host + " port " + std::to_string(port) + ": " + why;
  }
  socklen_t length = sizeof address;
  getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
  return {};
}

std::size_t SbsServer::Clients() const {
  std::lock_guard lock(clientsLock_);
  return clients_.size();
}

void SbsServer::AcceptLoop() {
  while (!stop_) {
    pollfd p{listenFd_, POLLIN, 0};
    if (poll(&p, 1, kAcceptPollMs) != 1) continue;
    const int client = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (client < 0) continue;
    std::lock_guard lock(clientsLock_);
    clients_.push_back(client);
  }
}

void SbsServer::OnLpdu(const BurstInfo&, const LpduRecord& lpdu) {
  if (lpdu.assignedAid && lpdu.icaoAddress) {
    icaoByLogon_[LogonKey(lpdu.groundStationId, *lpdu.assignedAid)] = *lpdu.icaoAddress;
  }
  if (!lpdu.hfnpdu) return;
  SbsPosition line;
  if (const auto* report = std::get_if<PositionReport>(&lpdu.hfnpdu->content)) {
    line.callsign = Callsign(report->flightId);
    line.latitude = CoordinateDegrees(report->position.latitude);
    line.longitude = CoordinateDegrees(report->position.longitude);
  } else if (const auto* data = std::get_if<FrequencyData>(&lpdu.hfnpdu->content); data && data->position) {
    line.callsign = Callsign(data->flightId);
    line.latitude = CoordinateDegrees(data->position->latitude);
    line.longitude = CoordinateDegrees(data->position->longitude);
  } else {
    return;
  }
  line.icaoAddress = lpdu.icaoAddress;
  if (const auto known = icaoByLogon_.find(LogonKey(lpdu.groundStationId, lpdu.aid));
      !line.icaoAddress && known != icaoByLogon_.end()) {
    line.icaoAddress = known->second;
  }
  line.stamp = clock_ ? clock_() : std::time(nullptr);
  Broadcast(FormatSbsPosition(line));
}

void SbsServer::Broadcast(const std::string& line) {
  std::lock_guard lock(clientsLock_);
  std::erase_if(clients_, [&line](int client) {
    // A line is small: a client whose socket cannot take it whole has long
    // stopped reading, or has gone.
    const ssize_t sent = send(client, line.data(), line.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent == static_cast<ssize_t>(line.size())) return false;
    close(client);
    return true;
  });
}

}  // namespace talvir
