#pragma once
// One soak run around either front end's pipeline: the generated audio as a
// capture device, the ledger as the decoders' record output, the data folder
// and settings (both channels, both logs on), and at the end the checks and
// the report: frames sent, decoded, failed and false, resident memory over
// the run, the logs and the stored system table whole.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "audio/frame_reader.h"
#include "soak_ledger.h"

namespace talvir::soak {

struct SoakOptions {
  double hours = 24.0;
  uint64_t seed = 1;
  std::filesystem::path folder;  // configs/ and logfiles/; empty: a new temporary folder
  // Resident memory is sampled at every this many segments (5.3 minutes).
  int sampleEverySegments = 10;
};

// Reads --hours H, --minutes M, --seed N, --folder DIR and --help. Returns
// the exit status when the program is to stop here (help shown, or a bad
// option reported), nothing when it is to run.
std::optional<int> ReadSoakCommandLine(int argc, char** argv, SoakOptions& options);

struct MemorySample {
  double audioHours = 0;
  long residentKiB = 0;
};

// The generated audio as a finite input: one segment at a time, rendered
// when the last one has been taken.
class SoakSource final : public FrameReader {
 public:
  SoakSource(const SoakOptions& options, SoakLedger& ledger);
  std::size_t ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& stop) override;
  // Read once the source's thread has ended.
  const std::vector<MemorySample>& Samples() const { return samples_; }
  const std::vector<uint64_t>& SegmentsByCondition() const { return byCondition_; }

 private:
  bool NextSegment();

  const SoakOptions options_;
  SoakLedger& ledger_;
  const uint64_t segments_;
  uint64_t next_ = 0;
  std::vector<int16_t> frames_;  // the current segment, interleaved
  std::size_t read_ = 0;         // frames of it taken
  std::vector<MemorySample> samples_;
  std::vector<uint64_t> byCondition_ = std::vector<uint64_t>(kConditionCount);
};

class SoakSession {
 public:
  explicit SoakSession(SoakOptions options);
  ~SoakSession();

  const DataPaths& paths() const { return paths_; }
  // The capture device that plays the soak; once.
  std::unique_ptr<CaptureDriver> TakeDriver();
  ApplicationOptions AppOptions();
  // Settings and the stamps' start, before start-up.
  void Prepare(Application& app);
  // After the application has shut down: the checks and the report on
  // stdout. Returns the exit status: 0 when every check held.
  int Finish(Application& app, const char* pipeline);

 private:
  const SoakOptions options_;
  std::filesystem::path folder_;
  bool removeFolder_ = false;
  DataPaths paths_;
  SoakLedger ledger_;
  SoakSource* source_ = nullptr;  // owned by the driver
  std::unique_ptr<CaptureDriver> driver_;
};

// The resident set of this process in KiB after free heap is handed back,
// 0 when /proc cannot tell.
long ResidentKiB();

}  // namespace talvir::soak
