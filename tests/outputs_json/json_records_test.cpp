// The JSON records of whole decodes, checked against the schema made from the
// interface samples, and against what the samples say of the same frames.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "cli/program_run.h"
#include "outputs_json/schema_check.h"
#include "support/read_file.h"
#include "support/temp_dir.h"

namespace talvir::testing {
namespace {

const std::filesystem::path kRecordings = TALVIR_RECORDINGS_DIR;
const std::filesystem::path kSamples = TALVIR_SOURCE_DIR "/../shared/interfaces";

std::vector<Json> DecodeToJson(const std::filesystem::path& input, const std::string& channels) {
  TempDir dir;
  const ProgramRun run = RunProgram(dir.path(), TALVIR_CLI_PATH,
                                    "--input '" + input.string() + "' " + channels +
                                        " --output json:file:records.jsonl --station-id TEST-STATION --freq 8977");
  EXPECT_EQ(run.status, 0) << run.err;
  const std::vector<Json> records = ParseLines(ReadFile(dir.path() / "records.jsonl"));
  for (const Json& record : records) EXPECT_EQ(RecordMismatch(record), "") << record.dump();
  return records;
}

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

}  // namespace
}  // namespace talvir::testing
