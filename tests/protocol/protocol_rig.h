#pragma once
// A fresh protocol decoder with every object it writes to, all display
// options off, and recorders for the window, the HFNPDUs and the slot clock.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "config/settings.h"
#include "full_chain_rig.h"
#include "outputs/decoded_text.h"
#include "outputs/output_sinks.h"
#include "protocol/hfdl_decoder.h"
#include "protocol/text_formatters.h"
#include "protocol/utc_clock.h"
#include "support/recording_ui_link.h"
#include "tracking/flight_db.h"
#include "tracking/ground_stations.h"
#include "tracking/system_table_store.h"

namespace talvir::testing {

struct RecordingHfnpdu : HfnpduReceiver {
  struct Call {
    LinkContext link;
    std::vector<uint8_t> data;
  };
  void DecodeHfnpdu(LinkContext& link, std::span<const uint8_t> data) override {
    calls.push_back({link, {data.begin(), data.end()}});
  }
  std::vector<Call> calls;
};

struct RecordingSlotClock : SlotClockControl {
  void SlotClockReset() override { ++resets; }
  int resets = 0;
};

inline constexpr const char* kBurstStatus = "TS(1) 300bps 1.8s FREQ ERR 1.5 Hz Mag 40 Votes 120 ";
// The "Preamble" lines of a frame that passed and one that failed its check.
inline const std::string kPreambleOk = std::string("[Preamble ") + kBurstStatus + "][OK]\r\n";
inline const std::string kPreambleFail = std::string("[Preamble ") + kBurstStatus + "]\r\n";

struct ProtocolRig {
  ProtocolRig() {
    ShowOnly(settings, {});
    decoder.ConnectSlotClock(&slotClock);
    burst.rateCode = 6;
    burst.detectedSlotIndex = 1;
    burst.statusLine = kBurstStatus;
  }

  void Show(std::initializer_list<Settings::IntField> fields) {
    for (auto field : fields) settings.Set(field, 1);
  }

  // The text of one frame, from decoding to the end-of-frame flush.
  std::string Receive(const std::vector<uint8_t>& frame) {
    {
      std::lock_guard lock(ui.mutex);
      ui.decodedText.clear();
    }
    lastOk = decoder.ReceiveFrame(frame, burst);
    return ui.AllDecodedText();
  }

  RecordingUiLink ui;
  Settings settings;
  DecodedText text{settings, nullptr, ui};
  NoExternalOutputs outputs;
  FlightDb flights{settings, outputs, ui};
  GroundStations stations;
  SystemTableStore systemTable;
  TextFormatters formatters{flights, stations, systemTable};
  HfdlUtcClock clock;
  RecordingHfnpdu hfnpdu;
  RecordingSlotClock slotClock;
  HfdlDecoder decoder{
      {settings, text, flights, stations, systemTable, formatters, clock, hfnpdu, RecordSink::None(), ui}};
  BurstInfo burst;
  bool lastOk = false;
};

}  // namespace talvir::testing
