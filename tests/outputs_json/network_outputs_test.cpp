// JSON records of the demo in the samples' layout, sent to UDP and TCP peers
// on loopback: read back whole, and a peer that is down, goes away or stops
// reading never holds up the decoder.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>

#include "cli/program_run.h"
#include "outputs/json/line_sink.h"
#include "outputs/json/output_target.h"
#include "outputs_json/schema_check.h"
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
                        "' --channel-a hf --channel-b vhf --summary --station-id TEST-STATION --freq 8977"
                        " --output json:file:records.jsonl" +
                        outputs);
}

TEST(JsonNetwork, PeersReceiveEveryRecordOfEveryKindAndPeersThatGoAwayStopNothing) {
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

  // Every kind of record, in the samples' layout.
  std::map<std::string, int> kinds;
  for (const Json& record : ParseLines(records)) {
    EXPECT_EQ(RecordMismatch(record), "") << record.dump();
    if (!record.contains("hfdl")) {
      ++kinds["vhf"];
      continue;
    }
    const Json& hfdl = record["hfdl"];
    EXPECT_EQ(hfdl["station"], "TEST-STATION");
    EXPECT_EQ(hfdl["freq"], 8977000);
    EXPECT_GE(hfdl["talvir"]["votes"].get<int>(), 90);  // no burst is taken on fewer
    if (hfdl.contains("spdu")) ++kinds["spdu"];
    if (hfdl.contains("lpdu") && hfdl["lpdu"].contains("hfnpdu")) ++kinds[hfdl["lpdu"]["hfnpdu"]["type"]["name"]];
  }
  // The summary's 3 squitters and 4 VHF messages; the others at least once.
  EXPECT_EQ(kinds["spdu"], 3);
  EXPECT_EQ(kinds["vhf"], 4);
  for (const char* kind : {"Performance data", "Frequency data", "Enveloped data", "System table (partial)"}) {
    EXPECT_GT(kinds[kind], 0) << kind;
  }

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

TEST(OutputTarget, ReadsEachDestinationAndRefusesWithAReason) {
  std::string error;
  EXPECT_EQ(ParseOutputTarget("json:stdout", error)->kind, OutputTarget::Kind::kStdout);
  const auto file = ParseOutputTarget("json:file:/tmp/a:b.jsonl", error);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->path, "/tmp/a:b.jsonl");
  const auto udp = ParseOutputTarget("json:udp:feed.example.org:5556", error);
  ASSERT_TRUE(udp);
  EXPECT_EQ((std::tuple{udp->kind, udp->host, udp->port}),
            (std::tuple{OutputTarget::Kind::kUdp, std::string("feed.example.org"), 5556}));
  // An IPv6 address keeps its colons; the port is after the last.
  const auto tcp = ParseOutputTarget("json:tcp:::1:5557", error);
  ASSERT_TRUE(tcp);
  EXPECT_EQ((std::tuple{tcp->kind, tcp->host, tcp->port}),
            (std::tuple{OutputTarget::Kind::kTcp, std::string("::1"), 5557}));
  EXPECT_EQ(error, "");

  for (const auto& [spec, why] : std::initializer_list<std::pair<const char*, const char*>>{
           {"xml:stdout", "the format must be json"},
           {"json:file:", "needs a file name"},
           {"json:udp:5556", "needs HOST:PORT"},
           {"json:tcp:host:70000", "'70000' is not a port number"},
           {"json:tcp:host:", "'' is not a port number"},
           {"json:mqtt:host:1", "the destination must be"}}) {
    EXPECT_FALSE(ParseOutputTarget(spec, error)) << spec;
    EXPECT_NE(error.find(why), std::string::npos) << error;
    EXPECT_NE(error.find(spec), std::string::npos) << error;
  }
}

// A peer that takes nothing: the queue fills, lines are dropped and counted,
// and Send never waits for it.
TEST(JsonNetwork, SlowPeerFillsTheQueueAndLinesAreDropped) {
  TcpListener stuck(SIZE_MAX, false);
  std::vector<std::string> warnings;
  std::string error;
  const OutputTarget target = *ParseOutputTarget("json:tcp:127.0.0.1:" + std::to_string(stuck.port()), error);
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
