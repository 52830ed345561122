#pragma once
// The outputs an ACARS printer or the HFNPDU decoder writes to, built fresh
// for each test: settings, logs in a temporary folder, the decoded text, the
// aircraft database, a recording ACARS DDE item, recorded records and a
// recording window. The
// clock stands at 2026-03-07 12:03:00 and local time is UTC.

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "acars/acars_message_outputs.h"
#include "protocol/recording_record_sink.h"
#include "support/read_file.h"
#include "support/recording_ui_link.h"
#include "support/temp_dir.h"

namespace talvir::testing {

inline constexpr std::time_t kTestNow = 1772884980;  // 2026-03-07 12:03:00 UTC
inline const std::string kTestClosingLine = std::string(58, '-') + "[07/03/2026 12:03]\n";

class RecordingAcarsDde : public AcarsOutputs {
 public:
  void DdePublishAcars(std::string_view text) override { published.emplace_back(text); }
  std::vector<std::string> published;
};

// LF line ends as the window and the logs receive them.
inline std::string WithCrLf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

inline std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

class AcarsTestOutputs {
 public:
  AcarsTestOutputs() {
    setenv("TZ", "UTC", 1);
    tzset();
    settings.Set(&SettingsRecord::ostraleLogging, 1);
  }
  ~AcarsTestOutputs() {
    unsetenv("TZ");
    tzset();
  }

  AcarsMessageOutputs Outputs() {
    return {settings, decodedText, logs, flights, dde, [] { return kTestNow; }, records};
  }

  std::string OstraleLog() const { return ReadFile(paths.LogDir() / "OsMarch07.log"); }

  TempDir temp;
  DataPaths paths{temp.path()};
  Settings settings;
  LogFiles logs{settings, paths, [] { return kTestNow; }};
  RecordingUiLink ui;
  DecodedText decodedText{settings, &logs, ui};
  NoExternalOutputs aircraftOutputs;
  FlightDb flights{settings, aircraftOutputs, ui};
  RecordingAcarsDde dde;
  RecordingRecordSink records;
};

}  // namespace talvir::testing
