#pragma once
// Every object of the HFDL protocol decoder, built in dependency order and
// wired together. What all channels share (the aircraft database, the ground
// stations and the stored system table, the logs and outputs, the window
// link) is one `SharedDecoderState`; each HFDL channel has its own decoders
// (`HfdlChannelDecoders`): text buffer, UTC clock, squitter state and current
// ground station, system-table assembly, HFNPDU and ACARS decoders, and the
// frame decoder on top, which the channel's modem hands its frames to.

#include <cstdio>

#include "acars/acars_message_outputs.h"
#include "acars/hfdl_acars_printer.h"
#include "common/ui_link.h"
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

struct SharedDecoderState {
  // clock: the stamps of ACARS messages; records: where the decoders' records
  // go besides the texts; ui: the front end.
  SharedDecoderState(const Settings& settings, const LogFiles& logs, AircraftOutputs& aircraftOutputs,
                     AcarsOutputs& acarsOutputs, UtcClock clock = SystemUtcNow,
                     RecordSink& records = RecordSink::None(), UiLink& ui = UiLink::None())
      : settings(settings),
        logs(logs),
        ui(ui),
        flights(settings, aircraftOutputs, ui),
        acarsOutputs(acarsOutputs),
        clock(std::move(clock)),
        records(records) {}
  SharedDecoderState(const SharedDecoderState&) = delete;
  SharedDecoderState& operator=(const SharedDecoderState&) = delete;

  // Where ACARS message texts written into `text` go; the VHF printer takes
  // the same with its own text and no HFDL channel.
  AcarsMessageOutputs AcarsMessageTargets(DecodedText& text, int hfChannel = kNoHfChannel) {
    return {settings, text, logs, flights, acarsOutputs, clock, records, hfChannel};
  }

  const Settings& settings;
  const LogFiles& logs;
  UiLink& ui;
  FlightDb flights;
  AcarsOutputs& acarsOutputs;
  const UtcClock clock;
  RecordSink& records;
  GroundStations stations;
  SystemTableStore systemTable;
  TextFormatters formatters{flights, stations, systemTable};
};

struct HfdlChannelDecoders {
  HfdlChannelDecoders(SharedDecoderState& shared, int hfChannel) : shared(shared), hfChannel(hfChannel) {}
  HfdlChannelDecoders(const HfdlChannelDecoders&) = delete;
  HfdlChannelDecoders& operator=(const HfdlChannelDecoders&) = delete;

  // One of several channels: its frequency in every record, and at the head
  // of every text it writes.
  void NameChannel(double khz) {
    decoder.SetChannelFrequency(khz);
    char heading[40];
    std::snprintf(heading, sizeof heading, "[%g kHz]\r\n", khz);
    text.SetHeading(heading);
  }

  SharedDecoderState& shared;
  const int hfChannel;
  // A channel's frame text stays whole: others decode at the same time.
  DecodedText text{shared.settings, &shared.logs, shared.ui};
  HfdlUtcClock utcClock;
  SystemTableDecoder systemTableDecoder{text, shared.systemTable, shared.stations};
  HfdlAcarsPrinter acarsPrinter{shared.AcarsMessageTargets(text, hfChannel)};
  HfnpduDecoder hfnpdu{shared.settings,   text, shared.flights, shared.systemTable, shared.formatters,
                       systemTableDecoder, acarsPrinter};
  HfdlDecoder decoder{{shared.settings, text, shared.flights, shared.stations, shared.systemTable, shared.formatters,
                       utcClock, hfnpdu, shared.records, shared.ui, hfChannel}};
};

// The shared state with one channel's decoders: a decoder of one HFDL
// channel, as the tests and the fuzzer drive it.
struct ProtocolStack : SharedDecoderState, HfdlChannelDecoders {
  ProtocolStack(const Settings& settings, const LogFiles& logs, AircraftOutputs& aircraftOutputs,
                AcarsOutputs& acarsOutputs, UtcClock clock = SystemUtcNow,
                RecordSink& records = RecordSink::None(), UiLink& ui = UiLink::None())
      : SharedDecoderState(settings, logs, aircraftOutputs, acarsOutputs, std::move(clock), records, ui),
        HfdlChannelDecoders(*this, 0) {}

  // The channel's text, for ACARS printed beside its frames.
  AcarsMessageOutputs AcarsMessageTargets() { return SharedDecoderState::AcarsMessageTargets(text); }
};

}  // namespace talvir
