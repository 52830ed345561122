// Basestation lines from real HFDL frames, read by clients on loopback.

#include "outputs/sbs/sbs_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "protocol/protocol_stack.h"
#include "support/temp_dir.h"
#include "testbench_frames/recorded_frames.h"

namespace talvir::testing {
namespace {

constexpr std::time_t kHeard = 1796625081;  // 2026-12-07 06:31:21 UTC

int Connect(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  return fd;
}

// One CR LF line, or "" after a few seconds.
std::string ReadLine(int fd) {
  std::string line;
  char c;
  while (line.size() < 2 || line.substr(line.size() - 2) != "\r\n") {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 5000) != 1 || recv(fd, &c, 1, 0) != 1) return "";
    line += c;
  }
  return line;
}

struct SbsChain {
  SbsChain() {
    EXPECT_EQ(sbs.Listen("127.0.0.1", 0), "");
    sbs.SetClock([] { return kHeard; });
  }
  void WaitForClients(std::size_t count) const {
    for (int i = 0; i < 500 && sbs.Clients() < count; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(sbs.Clients(), count);
  }
  void Receive(std::string_view hex) { stack.decoder.ReceiveFrame(testbench::FromHex(hex), BurstInfo{6, 1, 0, ""}); }

  SbsServer sbs;
  TempDir dir;
  Settings settings;
  LogFiles logs{settings, DataPaths{dir.path()}};
  NoExternalOutputs outputs;
  ProtocolStack stack{settings, logs, outputs, outputs, SystemUtcNow, sbs};
};

TEST(SbsServer, PositionReportsBecomeMsg3LinesWithTheIcaoOnceKnown) {
  SbsChain chain;
  const int client = Connect(chain.sbs.Port());
  chain.WaitForClients(1);

  // The squitter and the uplink carry no position: no lines.
  chain.Receive(testbench::kRecordedSquitter);
  chain.Receive(testbench::kRecordedGroundMpdu);
  chain.Receive(testbench::kRecordedAirMpdu);
  EXPECT_EQ(ReadLine(client),
            "MSG,3,1,1,,1,2026/12/07,06:31:21.000,2026/12/07,06:31:21.000,SU0219,,,,56.35104,31.68394,,,,,,0\r\n");

  // A log-on confirm of AID 71 at station 3 gives the address.
  LpduRecord confirm;
  confirm.direction = kDirectionGroundToAir;
  confirm.groundStationId = 3;
  confirm.aid = 0xFF;
  confirm.icaoAddress = 0x15A2C3;
  confirm.assignedAid = 0x71;
  chain.sbs.OnLpdu(BurstInfo{}, confirm);
  chain.Receive(testbench::kRecordedAirMpdu);
  EXPECT_EQ(ReadLine(client).substr(0, 17), "MSG,3,1,1,15A2C3,");
  close(client);
}

TEST(SbsServer, AClientThatGoesAwayIsDroppedTheOthersServedAndATakenPortRefused) {
  SbsChain chain;
  const int leaving = Connect(chain.sbs.Port());
  const int staying = Connect(chain.sbs.Port());
  chain.WaitForClients(2);
  close(leaving);
  for (int i = 0; i < 3; ++i) chain.Receive(testbench::kRecordedAirMpdu);
  for (int i = 0; i < 3; ++i) EXPECT_NE(ReadLine(staying).find(",SU0219,"), std::string::npos);
  EXPECT_EQ(chain.sbs.Clients(), 1u);
  close(staying);

  // An address it cannot listen on is refused.
  EXPECT_NE(SbsServer().Listen("localhost", 0).find("not an IPv4 address"), std::string::npos);
  EXPECT_NE(SbsServer().Listen("127.0.0.1", chain.sbs.Port()), "");
}

}  // namespace
}  // namespace talvir::testing
