#pragma once
// The protocol decoder's entry: takes the bytes of each received burst, tells
// squitters from MPDUs, checks them, decodes them into the decoded text, the
// aircraft database and the ground-station table, and closes the frame's text.
// Decoding runs on the worker thread; the readers of the frame outcome and of
// the squitters may run on the window thread.

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/decoder_links.h"
#include "common/record_sink.h"
#include "common/ui_link.h"
#include "protocol/link_context.h"
#include "protocol/squitter_record.h"

namespace talvir {

class DecodedText;
class FlightDb;
class GroundStations;
class HfdlUtcClock;
class Settings;
class SystemTableStore;
class TextFormatters;

// FrameOutcome values; any other value is the AID of a good air-to-ground MPDU.
inline constexpr int kOutcomeCrcFail = -4;
inline constexpr int kOutcomeSquitter = -2;
inline constexpr int kOutcomeGround = -3;

// What the decoder writes to and reads from; all outlive it.
struct HfdlDecoderLinks {
  const Settings& settings;
  DecodedText& text;
  FlightDb& flights;
  GroundStations& stations;
  SystemTableStore& systemTable;
  const TextFormatters& formatters;
  HfdlUtcClock& utcClock;
  HfnpduReceiver& hfnpdu;
  RecordSink& records = RecordSink::None();
  // The squitter line and the Squitters window, told which channel.
  UiLink& ui = UiLink::None();
  int hfChannel = 0;
};

class HfdlDecoder final : public HfdlFrameReceiver {
 public:
  explicit HfdlDecoder(const HfdlDecoderLinks& links);
  HfdlDecoder(const HfdlDecoder&) = delete;
  HfdlDecoder& operator=(const HfdlDecoder&) = delete;

  // The modem's slot clock, which each good squitter restarts. Connected once
  // the modem exists (it is built with this decoder as its frame receiver).
  void ConnectSlotClock(SlotClockControl* slotClock) { slotClock_ = slotClock; }

  // The channel's dial, which each frame's records then carry; set before
  // decoding.
  void SetChannelFrequency(double khz) { frequencyKhz_ = khz; }

  // DecodeHfdlFrame, then the end of the frame: hex dump with "HEX", a blank
  // line unless "Preamble", and the flush. Returns FrameDecodedOk().
  bool ReceiveFrame(std::span<const uint8_t> frame, const BurstInfo& burst) override;
  // The header's FCS and, for an MPDU, every LPDU's.
  bool FrameIntact(std::span<const uint8_t> frame) const override;
  void DecodeHfdlFrame(std::span<const uint8_t> frame, const BurstInfo& burst);

  bool FrameDecodedOk() const { return frameOutcome_.load() != kOutcomeCrcFail; }
  int FrameOutcome() const { return frameOutcome_.load(); }
  // The constellation caption: "Squitter", "Ground", "CRC Fail", or the
  // flight id of the AID (shown in the detail line first), or "".
  std::string FrameOutcomeLabel();
  int SquitterSeen() const { return squitterSeen_.load(); }
  int LastSquitterSlotOffset() const { return lastSquitterSlotOffset_.load(); }
  int CurrentGroundStationId() const { return lastSquitterStation_.load(); }
  SquitterHistory::Snapshot Squitters() const { return squitters_.Get(); }
  void MarkSlotAssignmentsUnknown() { squitters_.MarkSlotAssignmentsUnknown(); }

  std::string FormatSquitterSummary(const SquitterRecord& record) const;

 private:
  void DecodeSquitter(std::span<const uint8_t> frame, const BurstInfo& burst);
  void NoteGroundStationChange(int id, int slotOffset, int version);
  void PrintSquitter(const std::string& summary, const SquitterRecord& record,
                     const BurstInfo& burst);
  void DecodeMpdu(std::span<const uint8_t> frame, const BurstInfo& burst);
  void DecodeAirMpdu(std::span<const uint8_t> frame, const BurstInfo& burst);
  void DecodeGroundMpdu(std::span<const uint8_t> frame, const BurstInfo& burst);
  void DecodeLpdu(LinkContext& link, std::span<const uint8_t> lpdu, const BurstInfo& burst);
  // Prints the LPDU and fills its record; false when it fails its check.
  bool ReadLpdu(LinkContext& link, std::span<const uint8_t> lpdu, LpduRecord& record);
  void PrintPreambleLine(const BurstInfo& burst);

  HfdlDecoderLinks links_;
  SlotClockControl* slotClock_ = nullptr;
  std::optional<double> frequencyKhz_;
  SquitterRecord working_;
  SquitterHistory squitters_;
  std::atomic<int> frameOutcome_{kOutcomeCrcFail};
  std::atomic<int> squitterSeen_{0};
  std::atomic<int> lastSquitterStation_{0};
  std::atomic<int> lastSquitterSlotOffset_{0};
};

// "%d 1800 BPS " ... by rate code and the slot the burst was detected in;
// 4.2 s interleaves name two slots.
std::string FormatRateAndSlot(int rateCode, int detectedSlotIndex);

}  // namespace talvir
