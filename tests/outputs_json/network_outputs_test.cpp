// JSON records sent to UDP and TCP peers on loopback: read back whole, and a
// peer that is down, goes away or stops reading never holds up the decoder.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "cli/program_run.h"
#include "outputs/json/line_sink.h"
#include "support/loopback_listeners.h"
#include "support/read_file.h"
#include "support/temp_dir.h"

namespace talvir::testing {
namespace {

std::string Target(const char* kind, int port) {
  return std::string(" --output json:") + kind + ":127.0.0.1:" + std::to_string(port);
}

ProgramRun DecodeDemo(const TempDir& dir, const std::string& outputs) {
  return RunProgram(dir.path(), TALVIR_CLI_PATH,
                    std::string("--input '") + TALVIR_DEMO_WAV +
                        "' --channel-a hf --channel-b vhf --summary --output json:file:records.jsonl" + outputs);
}

TEST(JsonNetwork, PeersReceiveEveryRecordAndPeersThatGoAwayStopNothing) {
  TempDir dir;
  UdpListener udp;
  TcpListener tcp;
  const ProgramRun run = DecodeDemo(dir, Target("udp", udp.port()) + Target("tcp", tcp.port()));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string records = ReadFile(dir.path() / "records.jsonl");
  EXPECT_GT(std::count(records.begin(), records.end(), '\n'), 40);
  EXPECT_EQ(udp.Received(), records) << run.err;
  EXPECT_EQ(tcp.Received(), records);
  EXPECT_EQ(run.err.find("dropped"), std::string::npos) << run.err;

  // A TCP peer that hangs up after one record and a UDP port nobody listens
  // on: the decode gives the same records to the file, says once per peer
  // what is dropped and counts it.
  TempDir again;
  TcpListener leaving(1);
  const std::string udpTarget = Target("udp", DeadPort());
  const ProgramRun gone = DecodeDemo(again, udpTarget + Target("tcp", leaving.port()));
  ASSERT_EQ(gone.status, 0) << gone.err;
  EXPECT_EQ(ReadFile(again.path() / "records.jsonl"), records);
  EXPECT_EQ(leaving.Received(), records.substr(0, records.find('\n') + 1));
  for (const std::string& spec : {udpTarget.substr(10), Target("tcp", leaving.port()).substr(10)}) {
    const std::string warning = "json: " + spec + ": cannot reach the peer, records are being dropped\n";
    const std::size_t first = gone.err.find(warning);
    EXPECT_NE(first, std::string::npos) << gone.err;
    EXPECT_EQ(gone.err.find(warning, first + 1), std::string::npos) << "said twice";
    EXPECT_NE(gone.err.find("summary: " + spec + " "), std::string::npos) << gone.err;
  }
}

// A peer that takes nothing: the queue fills, lines are dropped and counted,
// and Send never waits for it.
TEST(JsonNetwork, SlowPeerFillsTheQueueAndLinesAreDropped) {
  TcpListener stuck(SIZE_MAX, false);
  std::vector<std::string> warnings;
  OutputTarget target;
  target.kind = OutputTarget::Kind::kTcp;
  target.host = "127.0.0.1";
  target.port = stuck.port();
  target.spec = "json:tcp:127.0.0.1:" + std::to_string(stuck.port());
  DropCounts dropped;
  {
    std::mutex lock;
    NetworkLineSink sink(target, [&](const std::string& text) {
      std::lock_guard guard(lock);
      warnings.push_back(text);
    }, 16);
    const std::string line(64 * 1024, 'x');
    for (int i = 0; i < 2000; ++i) sink.Send(line);
    dropped = sink.Dropped();
  }
  EXPECT_GT(dropped.queueFull, 0u);
  ASSERT_FALSE(warnings.empty());
  EXPECT_EQ(warnings[0], target.spec + ": the peer is too slow, records are being dropped");
  EXPECT_EQ(std::count(warnings.begin(), warnings.end(), warnings[0]), 1);
}

}  // namespace
}  // namespace talvir::testing
