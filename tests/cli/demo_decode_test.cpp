// The demo recording decoded as a listener would: the same bytes on every run
// whatever else the machine is doing, stamped with the recording's own time.

#include <gtest/gtest.h>
#include <utime.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "cli/program_run.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

using Output = testing::ProgramRun;

class DemoDecodeTest : public ::testing::Test {
 protected:
  Output Decode(const std::string& args, const std::filesystem::path& demo = TALVIR_DEMO_WAV) {
    return testing::RunProgram(dir.path(), TALVIR_CLI_PATH, "--input '" + demo.string() + "' " + args);
  }

  testing::TempDir dir;
};

// Catches timers and stamps that follow the wall clock or a second thread:
// the UTC clock's tick racing the decoder moved MPDU times by a second.
TEST_F(DemoDecodeTest, FiveRunsUnderLoadGiveTheSameBytes) {
  std::atomic<bool> stop{false};
  std::vector<std::thread> busy;
  for (unsigned i = 0; i < std::max(2U, std::thread::hardware_concurrency()); ++i) {
    busy.emplace_back([&stop] {
      volatile uint64_t spin = 0;
      while (!stop.load(std::memory_order_relaxed)) spin = spin + 1;
    });
  }
  const std::string args = "--channel-b vhf --show all --verbose-status --start-time 2026-12-07T10:59:00Z";
  std::vector<Output> runs;
  for (int run = 0; run < 5; ++run) runs.push_back(Decode(args));
  stop = true;
  for (std::thread& thread : busy) thread.join();

  ASSERT_EQ(runs[0].status, 0) << runs[0].err;
  EXPECT_NE(runs[0].out.find("[MPDU 10:59:52 GND SLOT 2 1200 BPS ]"), std::string::npos);
  EXPECT_NE(runs[0].out.find("[07/12/2026 11:00]"), std::string::npos) << "stamped from --start-time";
  EXPECT_NE(runs[0].err.find("summary: HFDL bursts heard 32: frames decoded 32, failed 0"), std::string::npos)
      << runs[0].err;
  for (int run = 1; run < 5; ++run) EXPECT_EQ(runs[static_cast<std::size_t>(run)], runs[0]) << "run " << run;
}

TEST_F(DemoDecodeTest, WithoutAStartTimeTheFileDateAndTheSquitterTimeStampIt) {
  // Changed at 2025-06-01 12:00:00 UTC: begun 97 s earlier, on that date.
  const auto demo = dir.path() / "demo.wav";
  std::filesystem::copy_file(TALVIR_DEMO_WAV, demo);
  const utimbuf times{1748779200, 1748779200};
  ASSERT_EQ(utime(demo.c_str(), &times), 0);
  const Output run = Decode("--channel-b vhf", demo);
  ASSERT_EQ(run.status, 0) << run.err;
  // The first squitter reads 10:59:48: its time of day, the file's date.
  const std::size_t first = run.out.find("[01/06/2025 10:59]");
  EXPECT_NE(first, std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("[01/06/2025 11:5"), std::string::npos) << "no stamp left on the modification time";
  EXPECT_NE(run.out.find("[01/06/2025 11:00]"), std::string::npos) << "and the stamps move with the audio";
}

// What a new listener sees first: the decoded traffic without the raw detail,
// then what the decode found. The demo's uplinks carry DEL in their labels:
// neither the terminal nor the logs get it raw.
TEST_F(DemoDecodeTest, TheDefaultSelectionAndTheSummary) {
  const Output run = Decode("--channel-b vhf --summary --logs");
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> texts = {run.out};
  for (const auto& log : std::filesystem::directory_iterator(dir.path() / "logfiles")) {
    texts.push_back(testing::ReadFile(log.path()));
  }
  ASSERT_EQ(texts.size(), 3U) << "stdout, the HFDL log and the Ostrale log";
  for (const std::string& text : texts) {
    EXPECT_NE(text.find("_<DEL>"), std::string::npos);
    EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) {
      const auto b = static_cast<uint8_t>(c);
      return (b >= 0x20 && b < 0x7F) || b == '\r' || b == '\n';
    })) << text.substr(0, 300);
  }
  EXPECT_EQ(run.out.find("[Preamble"), std::string::npos);
  EXPECT_NE(run.out.find("[MPDU "), std::string::npos);
  EXPECT_NE(run.out.find("VACARS mode: "), std::string::npos);
  EXPECT_TRUE(run.err.starts_with("end of input: 97.39 s of audio decoded\nsummary: HFDL bursts heard 32")) << run.err;
  EXPECT_NE(run.err.find("squitters 3 (failed 0), ACARS messages 22, aircraft 10"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace talvir
