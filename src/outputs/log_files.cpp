#include "outputs/log_files.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <system_error>

#include "config/settings.h"

namespace talvir {
namespace {

constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::time_t SystemUtcNow() { return std::time(nullptr); }

LogFiles::LogFiles(const Settings& settings, DataPaths paths, UtcClock clock)
    : settings_(settings), paths_(std::move(paths)), clock_(std::move(clock)) {}

std::string LogFiles::DayName() const {
  const std::time_t now = clock_();
  std::tm utc{};
  gmtime_r(&now, &utc);
  char day[4];
  std::snprintf(day, sizeof day, "%.2d", utc.tm_mday);
  return std::string(kMonthNames[static_cast<std::size_t>(utc.tm_mon)]) + day;
}

std::filesystem::path LogFiles::HfdlLogPath() const {
  return paths_.LogDir() / (DayName() + ".txt");
}

std::filesystem::path LogFiles::OstraleLogPath() const {
  const std::string singleName = settings_.Text(&SettingsRecord::ostraleFileName);
  if (!singleName.empty() && settings_.On(&SettingsRecord::ostraleSingleFile)) {
    // Kept inside the log folder even when the name looks absolute.
    return paths_.LogDir() / std::filesystem::path(singleName).relative_path();
  }
  return paths_.LogDir() / ("Os" + DayName() + ".log");
}

void LogFiles::HfdlLogAppend(std::string_view bufferText) const {
  if (!settings_.On(&SettingsRecord::hfdlLogging)) return;
  std::string kept;
  kept.reserve(std::min<std::size_t>(bufferText.size(), kMaxHfdlAppend));
  for (char c : bufferText) {
    if (c == '\r') continue;
    if (kept.size() == static_cast<std::size_t>(kMaxHfdlAppend)) break;
    kept.push_back(c);
  }
  AppendWithCrLf(HfdlLogPath(), kept);
}

void LogFiles::OstraleLogAppend(std::string_view messageText) const {
  if (!settings_.On(&SettingsRecord::ostraleLogging)) return;
  AppendWithCrLf(OstraleLogPath(), messageText);
}

void LogFiles::AppendWithCrLf(const std::filesystem::path& file, std::string_view text) const {
  std::error_code ignored;
  std::filesystem::create_directories(file.parent_path(), ignored);
  // Binary mode: the CR LF pairs are written here, not by the C library.
  std::unique_ptr<std::FILE, FileCloser> out(std::fopen(file.c_str(), "ab"));
  if (!out) return;
  std::string converted;
  converted.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    if (c == '\n') converted.push_back('\r');
    converted.push_back(c);
  }
  // Channels decoded on several threads append to the same files.
  std::lock_guard lock(appendLock_);
  std::fwrite(converted.data(), 1, converted.size(), out.get());
  out.reset();
}

}  // namespace talvir
