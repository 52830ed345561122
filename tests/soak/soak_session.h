#pragma once
// One soak run around either front end's pipeline: the generated audio as a
// capture device, the ledger as the decoders' record output, the data folder
// and settings (both channels, both logs on), and at the end the checks and
// the report: frames sent, decoded, failed and false, resident memory over
// the run, the logs and the stored system table whole.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/application.h"
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

class SoakSource;

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

}  // namespace talvir::soak
