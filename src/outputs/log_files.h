#pragma once
// The two text logs below the logfiles folder: the HFDL day log (the decoded
// text as the window shows it) and the Ostrale log (every ACARS message). Each
// append opens, writes and closes its file, so other programs may read or move
// the files at any time. Line feeds are written as CR LF explicitly; failures
// to write are silent and decoding goes on.

#include <ctime>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "config/data_paths.h"

namespace talvir {

class Settings;

// Seconds since the epoch; the date in the file names is taken from it in UTC.
using UtcClock = std::function<std::time_t()>;

std::time_t SystemUtcNow();

class LogFiles {
 public:
  // At most this many characters of one buffer reach the HFDL log.
  static constexpr int kMaxHfdlAppend = 9999;

  LogFiles(const Settings& settings, DataPaths paths, UtcClock clock = SystemUtcNow);

  // Appends decoded text (CR LF line ends, as the buffer holds it) to today's
  // HFDL file while hfdlLogging is on. Carriage returns are dropped first and
  // the text is cut at kMaxHfdlAppend characters; every line feed is written
  // as CR LF.
  void HfdlLogAppend(std::string_view bufferText) const;

  // Appends one ACARS message text (LF line ends) to the Ostrale file while
  // ostraleLogging is on: every line feed as CR LF, all else unchanged.
  void OstraleLogAppend(std::string_view messageText) const;

  // The files the next appends would go to.
  std::filesystem::path HfdlLogPath() const;
  std::filesystem::path OstraleLogPath() const;

 private:
  // "March07": the full English month name and the two-digit day, UTC.
  std::string DayName() const;
  // Creates the folder when missing, then appends with LF written as CR LF.
  void AppendWithCrLf(const std::filesystem::path& file, std::string_view text) const;

  const Settings& settings_;
  DataPaths paths_;
  UtcClock clock_;
  mutable std::mutex appendLock_;  // one whole append at a time
};

}  // namespace talvir
