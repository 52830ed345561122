// The JSON records: the schema made from the interface samples, the records
// of the recordings against what the samples say of the same frames, the
// demo's records sent to UDP and TCP peers on loopback (read back whole, and
// a peer that is down, goes away or stops reading never holds up the
// decoder), and the targets' parsing.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include "outputs/json/line_sink.h"
#include "outputs/json/output_target.h"
#include "outputs_json/schema_check.h"
#include "support/loopback_listeners.h"
#include "support/program_run.h"
#include "support/read_file.h"
#include "support/temp_dir.h"

namespace talvir::testing {
namespace {

const std::filesystem::path kRecordings = TALVIR_RECORDINGS_DIR;
const std::filesystem::path kSamples = TALVIR_SOURCE_DIR "/../shared/interfaces";

std::vector<Json> SampleLines(const std::string& name) {
  const std::string text = ReadFile(kSamples / name);
  if (text.empty()) return {};
  return ParseLines(text);
}

// The samples fit the schema made from them, and records that stray from it
// do not.
TEST(JsonSchema, FitsTheSamplesAndRefusesStrayRecords) {
  const std::vector<Json> samples = SampleLines("hfdl-json-example.jsonl");
  if (samples.empty()) GTEST_SKIP() << "no interface samples in " << kSamples;
  for (const Json& sample : samples) EXPECT_EQ(RecordMismatch(sample), "") << sample.dump();
  for (const Json& sample : SampleLines("acars-json-example.jsonl")) EXPECT_EQ(RecordMismatch(sample), "");

  Json renamed = samples[0];
  renamed["hfdl"]["spdu"]["frame_idx"] = 1;
  EXPECT_EQ(RecordMismatch(renamed), ".hfdl.spdu.frame_idx: not a field of the samples");
  Json retyped = samples[0];
  retyped["hfdl"]["bit_rate"] = "300";
  EXPECT_NE(RecordMismatch(retyped), "");
  Json missing = samples[0];
  missing["hfdl"].erase("t");
  EXPECT_EQ(RecordMismatch(missing), ".hfdl.t: missing");
}

// The frames of the HFDL recordings hold what the samples (another decoder's
// reading of the same recordings) say they hold.
TEST(JsonRecords, HfdlRecordingsAgreeWithTheSamples) {
  if (!std::filesystem::exists(kRecordings / "hfdl-squitter-gs3.wav")) GTEST_SKIP() << "no recordings";
  const std::vector<Json> samples = SampleLines("hfdl-json-example.jsonl");
  if (samples.size() < 4) GTEST_SKIP() << "no interface samples";

  // Each recording starts with a squitter.
  const auto sameSquitter = [](const Json& ours, const Json& sample) {
    for (const char* field : {"gs_status", "frame_index", "frame_offset", "systable_version", "src"}) {
      EXPECT_EQ(ours["hfdl"]["spdu"][field], sample["hfdl"]["spdu"][field]) << field;
    }
  };
  const std::vector<Json> squitter = DecodeToJson(kRecordings / "hfdl-squitter-gs3.wav", "--channel-a hf");
  ASSERT_EQ(squitter.size(), 1u);
  sameSquitter(squitter[0], samples[0]);

  const std::vector<Json> both = DecodeToJson(kRecordings / "hfdl-downlink-uplink-gs3.wav", "--channel-a hf");
  ASSERT_EQ(both.size(), 3u);
  // The burst figures on the same scales: levels within a dB, the skew within
  // half a hertz of the other decoder's reading.
  const auto sameFigures = [](const Json& ours, const Json& sample) {
    for (const char* level : {"sig_level", "noise_level"}) {
      EXPECT_NEAR(ours["hfdl"][level].get<double>(), sample["hfdl"][level].get<double>(), 1.0) << level;
    }
    EXPECT_NEAR(ours["hfdl"]["freq_skew"].get<double>(), sample["hfdl"]["freq_skew"].get<double>(), 0.5);
  };
  sameFigures(squitter[0], samples[0]);
  for (std::size_t i = 0; i < both.size(); ++i) sameFigures(both[i], samples[i + 1]);
  sameSquitter(both[0], samples[1]);
  const Json& performance = both[1]["hfdl"]["lpdu"];
  const Json& expected = samples[2]["hfdl"]["lpdu"];
  EXPECT_EQ(performance["src"], expected["src"]);
  EXPECT_EQ(performance["dst"], expected["dst"]);
  for (const char* field : {"flight_id", "pos", "time", "flight_leg_num", "gs", "freq_search_cnt",
                            "hfdl_disabled_duration", "pdu_stats"}) {
    EXPECT_EQ(performance["hfnpdu"][field], expected["hfnpdu"][field]) << field;
  }
  const Json& acars = both[2]["hfdl"]["lpdu"]["hfnpdu"]["acars"];
  for (const char* field : {"reg", "mode", "label", "blk_id", "ack", "more", "msg_text"}) {
    EXPECT_EQ(acars[field], samples[3]["hfdl"]["lpdu"]["hfnpdu"]["acars"][field]) << field;
  }
}

TEST(JsonRecords, VhfRecordingsAgreeWithTheSamples) {
  const std::vector<Json> samples = SampleLines("acars-json-example.jsonl");
  if (!std::filesystem::exists(kRecordings / "vhf-acars-01.wav") || samples.size() < 3) {
    GTEST_SKIP() << "no recordings or samples";
  }
  // The samples' first three lines are recordings 01, 02 and 04.
  const std::map<std::string, const Json*> sampled = {
      {"01", &samples[0]}, {"02", &samples[1]}, {"04", &samples[2]}};
  for (const char* number : {"01", "02", "03", "04", "05", "06"}) {
    const auto records =
        DecodeToJson(kRecordings / ("vhf-acars-" + std::string(number) + ".wav"), "--channel-a vhf");
    ASSERT_EQ(records.size(), 1u) << number;
    EXPECT_EQ(records[0]["error"], 0) << "every recording holds a correct block";
    if (!sampled.contains(number)) continue;
    for (const char* field : {"mode", "label", "block_id", "ack", "tail", "flight", "msgno", "text", "error"}) {
      EXPECT_EQ(records[0].value(field, Json()), sampled.at(number)->value(field, Json())) << number << " " << field;
    }
    // Levels on the same scale: within a dB of the other decoder's reading.
    EXPECT_NEAR(records[0]["level"].get<double>(), (*sampled.at(number))["level"].get<double>(), 1.0) << number;
  }
}

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
// Send never waits for it, and the peer is given up.
TEST(JsonNetwork, SlowPeerFillsTheQueueAndLinesAreDropped) {
  TcpListener stuck(SIZE_MAX, false);
  std::vector<std::string> warnings;
  std::string error;
  const OutputTarget target = *ParseOutputTarget("json:tcp:127.0.0.1:" + std::to_string(stuck.port()), error);
  DropCounts dropped;
  {
    std::mutex lock;
    NetworkLineSink sink(
        target,
        [&](const std::string& text) {
          std::lock_guard guard(lock);
          warnings.push_back(text);
        },
        16);
    // Lines keep coming while the peer takes nothing: the queue fills, and a
    // peer that takes nothing while it is full is as good as gone.
    const std::string line(64 * 1024, 'x');
    for (int i = 0; i < 20000 && (dropped.queueFull == 0 || dropped.peerDown == 0); ++i) {
      sink.Send(line);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      dropped = sink.Dropped();
    }
  }
  EXPECT_GT(dropped.queueFull, 0u);
  EXPECT_GT(dropped.peerDown, 0u);
  ASSERT_FALSE(warnings.empty());
  EXPECT_EQ(warnings[0], target.spec + ": the peer is too slow, records are being dropped");
  EXPECT_EQ(std::count(warnings.begin(), warnings.end(), warnings[0]), 1);
  EXPECT_EQ(std::count(warnings.begin(), warnings.end(),
                       target.spec + ": cannot reach the peer, records are being dropped"),
            1);
}

// At the end the sender gives a peer that takes nothing its drain time for
// what is left, then gives it up: the end never waits on it for good.
TEST(JsonNetwork, AtTheEndAStalledPeerIsGivenUpAfterItsDrainTime) {
  TcpListener stuck(SIZE_MAX, false);
  std::string error;
  const OutputTarget target = *ParseOutputTarget("json:tcp:127.0.0.1:" + std::to_string(stuck.port()), error);
  std::vector<std::string> warnings;
  {
    NetworkLineSink sink(target, [&](const std::string& text) { warnings.push_back(text); }, 16);
    // One line at a time, until the peer's buffers are full and the sender
    // waits on it with a line in hand; then one more is queued.
    const std::string line(64 * 1024, 'x');
    for (int i = 0; i < 1000; ++i) {
      const uint64_t before = sink.Sent();
      sink.Send(line);
      int waited = 0;
      for (; waited < 400 && sink.Sent() == before; ++waited) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (waited == 400) break;  // two seconds without a line taken
    }
    sink.Send(line);
  }
  EXPECT_EQ(warnings, std::vector<std::string>{target.spec + ": cannot reach the peer, records are being dropped"});
}

}  // namespace
}  // namespace talvir::testing
