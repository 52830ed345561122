#pragma once
// Where a finished ACARS message text goes: the ACARS DDE item, the Ostrale
// log, the aircraft database and, under its display option, the decoded text;
// and where its record goes.

#include "common/record_sink.h"
#include "config/settings.h"
#include "outputs/decoded_text.h"
#include "outputs/log_files.h"
#include "outputs/output_sinks.h"
#include "tracking/flight_db.h"

namespace talvir {

struct AcarsMessageOutputs {
  const Settings& settings;
  DecodedText& decodedText;
  const LogFiles& logs;
  FlightDb& flights;
  AcarsOutputs& dde;
  UtcClock clock = SystemUtcNow;
  RecordSink& records = RecordSink::None();
  // The HFDL channel whose messages these are; kNoHfChannel for VHF.
  int hfChannel = kNoHfChannel;

  // DDE and Ostrale log always; the text window (as one flush) when `show`
  // is on.
  void Publish(std::string_view text, Settings::IntField show) const {
    dde.DdePublishAcars(text);
    logs.OstraleLogAppend(text);
    if (settings.On(show)) {
      decodedText.AppendLines(text);
      decodedText.Flush();
    }
  }
};

}  // namespace talvir
