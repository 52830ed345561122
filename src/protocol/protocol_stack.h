#pragma once
// Every object of the HFDL protocol decoder, built in dependency order and
// wired together: the decoded-text buffer, the aircraft database, the ground
// stations and the stored system table, the formatters, the UTC clock, the
// HFNPDU, system-table and ACARS decoders, and the frame decoder on top.
// Front ends and tests build one and hand `decoder` to the modem.

#include "acars/acars_message_outputs.h"
#include "acars/hfdl_acars_printer.h"
#include "outputs/decoded_text.h"
#include "outputs/output_sinks.h"
#include "protocol/hfdl_decoder.h"
#include "protocol/hfnpdu_decoder.h"
#include "protocol/system_table_decoder.h"
#include "protocol/text_formatters.h"
#include "protocol/utc_clock.h"
#include "tracking/flight_db.h"
#include "tracking/ground_stations.h"
#include "tracking/system_table_store.h"

namespace talvir {

struct ProtocolStack {
  // clock: the stamps of ACARS messages; records: where the decoders' records
  // go besides the texts.
  ProtocolStack(const Settings& settings, const LogFiles& logs, AircraftOutputs& aircraftOutputs,
                AcarsOutputs& acarsOutputs, UtcClock clock = SystemUtcNow,
                RecordSink& records = RecordSink::None())
      : settings(settings),
        logs(logs),
        text(settings, &logs),
        flights(settings, aircraftOutputs),
        acarsOutputs(acarsOutputs),
        clock(std::move(clock)),
        records(records) {}
  ProtocolStack(const ProtocolStack&) = delete;
  ProtocolStack& operator=(const ProtocolStack&) = delete;

  // Where ACARS message texts go; the VHF printer takes the same.
  AcarsMessageOutputs AcarsMessageTargets() {
    return {settings, text, logs, flights, acarsOutputs, clock, records};
  }

  const Settings& settings;
  const LogFiles& logs;
  DecodedText text;
  FlightDb flights;
  AcarsOutputs& acarsOutputs;
  const UtcClock clock;
  RecordSink& records;
  GroundStations stations;
  SystemTableStore systemTable;
  TextFormatters formatters{flights, stations, systemTable};
  HfdlUtcClock utcClock;
  SystemTableDecoder systemTableDecoder{text, systemTable, stations};
  HfdlAcarsPrinter acarsPrinter{AcarsMessageTargets()};
  HfnpduDecoder hfnpdu{settings, text, flights, systemTable, formatters, systemTableDecoder, acarsPrinter};
  HfdlDecoder decoder{{settings, text, flights, stations, systemTable, formatters, utcClock, hfnpdu, records}};
};

}  // namespace talvir
