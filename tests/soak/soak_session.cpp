#include "soak_session.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string_view>

#include "audio/frame_reader.h"
#include "audio/stream_driver.h"
#include "modem/frame_counters.h"
#include "support/read_file.h"
#include "tracking/system_table_store.h"

namespace talvir::soak {
namespace {

namespace fs = std::filesystem;

// 2026-12-07 00:00:00 UTC: a day of audio fills two day logs.
constexpr std::time_t kSoakStart = 1796601600;
// Growth of the resident set from the end of the warm-up to the end of the
// run that still counts as flat.
constexpr long kFlatMemoryKiB = 2048;
// Share of the strong bursts and messages a working receiver must decode.
constexpr double kStrongDecodedShare = 0.99;

struct MemorySample {
  double audioHours = 0;
  long residentKiB = 0;
  long heapKiB = 0;  // allocated and not freed: tells a kept object from a fragmented heap
};

struct Check {
  std::string what;
  bool held = false;
};

// The resident set of this process in KiB after free heap is handed back,
// 0 when /proc cannot tell.
long ResidentKiB() {
  // Heap the allocator keeps after a free (the generator's segment buffers
  // above all) goes back first: what stays resident is what is in use.
  malloc_trim(0);
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

long HeapInUseKiB() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

// Every line of a log ends in CR LF, the last one too: nothing torn.
bool WholeLines(const std::string& text) {
  if (text.empty()) return true;
  if (!text.ends_with("\r\n")) return false;
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    if (at == 0 || text[at - 1] != '\r') return false;
  }
  return true;
}

std::string Percent(uint64_t part, uint64_t whole) {
  char text[32];
  const double share = whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
  std::snprintf(text, sizeof text, "%.1f %%", share);
  return text;
}

bool ParseNumber(std::string_view text, double& value) {
  const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
  return parsed.ec == std::errc() && parsed.ptr == text.data() + text.size() && value > 0;
}

std::string SoakHelpText(const char* program) {
  return std::string("usage: ") + program +
         " [--hours H | --minutes M] [--seed N] [--folder DIR]\n"
         "Decodes H hours (default 24) of generated audio as fast as it goes: HFDL bursts of every rate\n"
         "code in noise, fading, under a carrier, on a DC offset, too weak, clipped; noise alone and\n"
         "silence; VHF ACARS on the other channel. Then checks that no false frame was decoded, that\n"
         "resident memory stayed flat and that the logs and configs/talvir.dat are whole, and prints\n"
         "the figures. DIR (default: a new temporary folder, removed after a good run) holds configs/\n"
         "and logfiles/. Exit status 0 when every check held, 1 when one failed, 2 for bad options.\n";
}

}  // namespace

// The generated audio as a finite input: one segment at a time, rendered
// when the last one has been taken.
class SoakSource final : public FrameReader {
 public:
  SoakSource(const SoakOptions& options, SoakLedger& ledger)
      : options_(options),
        ledger_(ledger),
        segments_(std::max<uint64_t>(1, static_cast<uint64_t>(options.hours * 3600.0 / kSegmentSeconds + 0.5))) {}

  std::size_t ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& stop) override {
    const std::size_t wanted = out.size() / 4;
    std::size_t done = 0;
    while (done < wanted && !stop.load()) {
      if (read_ * 2 >= frames_.size() && !NextSegment()) break;
      const std::size_t n = std::min(wanted - done, frames_.size() / 2 - read_);
      for (std::size_t i = 0; i < 2 * n; ++i) {
        const auto sample = static_cast<uint16_t>(frames_[2 * read_ + i]);
        out[4 * done + 2 * i] = static_cast<uint8_t>(sample);
        out[4 * done + 2 * i + 1] = static_cast<uint8_t>(sample >> 8);
      }
      read_ += n;
      done += n;
    }
    return done;
  }

  // Read once the source's thread has ended.
  std::vector<MemorySample> samples;
  std::vector<uint64_t> byCondition = std::vector<uint64_t>(kConditionCount);

 private:
  bool NextSegment() {
    if (next_ >= segments_) return false;
    if (next_ % static_cast<uint64_t>(options_.sampleEverySegments) == 0) {
      samples.push_back({static_cast<double>(next_ * kSegmentSeconds) / 3600.0, ResidentKiB(), HeapInUseKiB()});
      const SoakTotals totals = ledger_.Totals();
      std::fprintf(stderr,
                   "soak: %.2f h of %.2f h, resident %.1f MiB, heap %.1f MiB; HFDL sent %" PRIu64 " decoded %" PRIu64
                   ", VHF sent %" PRIu64 " decoded %" PRIu64 ", false %" PRIu64 "\n",
                   samples.back().audioHours, static_cast<double>(segments_ * kSegmentSeconds) / 3600.0,
                   samples.back().residentKiB / 1024.0, samples.back().heapKiB / 1024.0, totals.hfdl.sent,
                   totals.hfdl.decoded, totals.vhf.sent, totals.vhf.decoded, totals.falseFrames);
    }
    const Segment segment = PlanSegment(options_.seed, next_++);
    ++byCondition[static_cast<std::size_t>(segment.condition)];
    RenderSegment(segment, frames_);
    ledger_.Sent(segment.sent);
    read_ = 0;
    return true;
  }

  const SoakOptions options_;
  SoakLedger& ledger_;
  const uint64_t segments_;
  uint64_t next_ = 0;
  std::vector<int16_t> frames_;  // the current segment, interleaved
  std::size_t read_ = 0;         // frames of it taken
};

std::optional<int> ReadSoakCommandLine(int argc, char** argv, SoakOptions& options) {
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    std::fputs(SoakHelpText(argv[0]).c_str(), stdout);
    return 0;
  }
  for (int i = 1; i < argc; i += 2) {
    const std::string_view arg = argv[i];
    const std::string_view value = i + 1 < argc ? argv[i + 1] : "";
    double number = 0;
    if (i + 1 < argc && arg == "--folder") {
      options.folder = value;
    } else if ((arg == "--hours" || arg == "--minutes") && ParseNumber(value, number)) {
      options.hours = arg == "--hours" ? number : number / 60.0;
    } else if (arg == "--seed" && ParseNumber(value, number)) {
      options.seed = static_cast<uint64_t>(number);
    } else {
      const std::string error = i + 1 < argc ? std::string(arg) + " " + std::string(value) + ": not understood"
                                             : std::string(arg) + ": unknown option or missing value";
      std::fprintf(stderr, "%s: %s\n%s", argv[0], error.c_str(), SoakHelpText(argv[0]).c_str());
      return 2;
    }
  }
  return std::nullopt;
}

SoakSession::SoakSession(SoakOptions options) : options_(std::move(options)) {
  folder_ = options_.folder;
  if (folder_.empty()) {
    std::string pattern = (fs::temp_directory_path() / "talvir-soak-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("talvir-soak: cannot make a temporary folder");
      std::exit(2);
    }
    folder_ = pattern;
    removeFolder_ = true;
  }
  paths_.base = folder_;
  // Buffers as large as a segment's go back to the system when freed, not
  // to the allocator's pool of the thread that rendered them: otherwise they
  // read as resident memory of the receiver.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
  // As an installed receiver's folder: the system table is kept only there.
  fs::create_directories(paths_.ConfigDir());
  auto source = std::make_unique<SoakSource>(options_, ledger_);
  source_ = source.get();
  driver_ = std::make_unique<StreamDriver>(std::move(source), Pacing::kAsFastAsTaken);
}

SoakSession::~SoakSession() {
  std::error_code ignored;
  if (removeFolder_) fs::remove_all(folder_, ignored);
}

std::unique_ptr<CaptureDriver> SoakSession::TakeDriver() { return std::move(driver_); }

ApplicationOptions SoakSession::AppOptions() {
  return {.saveSettingsAtExit = false, .workerPause = WorkerPause::kOnlyWhenIdle, .records = &ledger_};
}

void SoakSession::Prepare(Application& app) {
  Settings& settings = app.settings();
  settings.Set(&SettingsRecord::channelAMode, kChannelHf);
  settings.Set(&SettingsRecord::channelBMode, kChannelVhf);
  settings.Set(&SettingsRecord::hfdlLogging, 1);
  settings.Set(&SettingsRecord::ostraleLogging, 1);
  // As after a first run: the window asks nothing at start.
  settings.Set(&SettingsRecord::settingsLoaded, 1);
  app.stamps().StartOnAudio(kSoakStart, StampClock::Source::kGivenStart);
}

int SoakSession::Finish(Application& app, const char* pipeline) {
  ledger_.Close();
  const SoakTotals totals = ledger_.Totals();
  const FrameCounters::Values counters = app.FrameCountsAllChannels();
  const auto all = static_cast<uint64_t>(counters[FrameCounters::kAllFrames]);
  const auto failed = static_cast<uint64_t>(counters[FrameCounters::kAllFailed]);
  const std::vector<MemorySample>& samples = source_->samples;
  const long endKiB = ResidentKiB();
  const double hours = static_cast<double>(app.worker().BlocksProcessed() * kBlockFrames) / kSampleRate / 3600.0;

  std::vector<Check> checks;
  checks.push_back({"no false frames", totals.falseFrames == 0});
  checks.push_back({"every frame that passed its checks is accounted for", all - failed == totals.goodFrames});
  for (const auto& [name, tally] : {std::pair{"HFDL bursts", totals.hfdl}, std::pair{"VHF messages", totals.vhf}}) {
    const std::string share = Percent(tally.strongDecoded, tally.strongSent);
    checks.push_back({std::string("strong ") + name + " decoded (" + share + ")",
                      tally.strongDecoded >= kStrongDecodedShare * static_cast<double>(tally.strongSent)});
  }

  // Memory: from the first sample after a sixth of the run to the end.
  const auto warm = std::find_if(samples.begin(), samples.end(), [this](const MemorySample& sample) {
    return sample.audioHours * 6 >= options_.hours;
  });
  const long warmKiB = warm != samples.end() ? warm->residentKiB : endKiB;
  long highestKiB = endKiB;
  for (auto sample = warm; sample != samples.end(); ++sample) highestKiB = std::max(highestKiB, sample->residentKiB);
  checks.push_back({"resident memory flat (grew " + std::to_string(highestKiB - warmKiB) + " KiB after warm-up)",
                    highestKiB - warmKiB <= kFlatMemoryKiB});

  // Logs: whole lines only, and every ACARS message decoded is in them.
  std::string logs;
  bool whole = true;
  int logFiles = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(paths_.LogDir(), error)) {
    const std::string text = testing::ReadFile(entry.path());
    whole = whole && WholeLines(text);
    logs += text;
    ++logFiles;
  }
  const std::vector<std::string> tokens = ledger_.DecodedTokens();
  const auto missing = std::count_if(tokens.begin(), tokens.end(), [&logs](const std::string& token) {
    return logs.find(token) == std::string::npos;
  });
  checks.push_back({std::to_string(logFiles) + " log files of whole lines", logFiles > 0 && whole});
  checks.push_back({"every decoded ACARS message logged (" + std::to_string(missing) + " missing)", missing == 0});

  SystemTableStore stored;
  const fs::path table = paths_.SystemTableFile();
  checks.push_back({"configs/talvir.dat whole, holding table version " + std::to_string(SoakSystemTableVersion()),
                    fs::file_size(table, error) == kSystemTableFileSize && stored.Load(table) &&
                        stored.Version() == SoakSystemTableVersion()});

  std::printf("soak through the %s pipeline, seed %" PRIu64 ": %.2f h of audio\nsegments by condition:", pipeline,
              options_.seed, hours);
  for (int c = 0; c < kConditionCount; ++c)
    std::printf(" %s %" PRIu64, ConditionName(static_cast<Condition>(c)),
                source_->byCondition[static_cast<std::size_t>(c)]);
  std::printf("\nHFDL frames sent %" PRIu64 ", decoded %" PRIu64 " (%s), failed checks %" PRIu64 ", false %" PRIu64
              "\nby rate code (sent/decoded):",
              totals.hfdl.sent, totals.hfdl.decoded, Percent(totals.hfdl.decoded, totals.hfdl.sent).c_str(), failed,
              totals.falseFrames);
  for (std::size_t r = 0; r < totals.sentByRate.size(); ++r)
    std::printf(" %zu: %" PRIu64 "/%" PRIu64, r, totals.sentByRate[r], totals.decodedByRate[r]);
  std::printf("\nVHF messages sent %" PRIu64 ", decoded %" PRIu64
              " (%s)\nresident memory, heap in use in brackets (MiB):",
              totals.vhf.sent, totals.vhf.decoded, Percent(totals.vhf.decoded, totals.vhf.sent).c_str());
  // The start, then the first sample of each hour.
  int shownHour = -1;
  for (const MemorySample& sample : samples) {
    if (static_cast<int>(sample.audioHours) == shownHour) continue;
    shownHour = static_cast<int>(sample.audioHours);
    std::printf(" %.2f h %.1f (%.1f);", sample.audioHours, sample.residentKiB / 1024.0, sample.heapKiB / 1024.0);
  }
  std::printf(" end %.1f (%.1f)\n", endKiB / 1024.0, HeapInUseKiB() / 1024.0);
  for (const std::string& report : totals.falseReports) std::printf("false frame: %s\n", report.c_str());
  bool allHeld = true;
  for (const Check& check : checks) {
    std::printf("%s %s\n", check.held ? "ok  " : "FAIL", check.what.c_str());
    allHeld = allHeld && check.held;
  }
  if (!allHeld) {
    std::printf("the data folder stays for a look: %s\n", folder_.c_str());
    removeFolder_ = false;
  }
  return allHeld ? 0 : 1;
}

}  // namespace talvir::soak
