#pragma once
// Decodes the HFNPDUs an LPDU carries: performance data, frequency data,
// system-table packets and requests, test packets, ACARS messages. Text goes
// to the decoded-text buffer under "HFNPDU" (details under "Verbose");
// positions and frequency reports go to the aircraft database.

#include <cstdint>
#include <span>

#include "common/hfdl_pdu_types.h"
#include "protocol/link_context.h"

namespace talvir {

class DecodedText;
class FlightDb;
class HfdlAcarsPrinter;
class Settings;
class SystemTableDecoder;
class SystemTableStore;
class TextFormatters;

class HfnpduDecoder final : public HfnpduReceiver {
 public:
  HfnpduDecoder(const Settings& settings, DecodedText& text, FlightDb& flights,
                const SystemTableStore& systemTable, const TextFormatters& formatters,
                SystemTableDecoder& systemTableDecoder, HfdlAcarsPrinter& acarsPrinter);

  // data: two type bytes, then the payload. Two bytes or fewer: nothing.
  void DecodeHfnpdu(LinkContext& link, std::span<const uint8_t> data) override;

 private:
  void DecodePerformanceData(const LinkContext& link, std::span<const uint8_t> payload);
  void DecodeFrequencyData(const LinkContext& link, std::span<const uint8_t> payload);
  void DecodeTestPacket(std::span<const uint8_t> payload);
  void DecodeHfdlAcars(const LinkContext& link, std::span<const uint8_t> payload);
  void PrintUnknown(std::span<const uint8_t> payload);
  bool Showing() const;
  // Puts what an HFNPDU held into the LPDU's record, when it has one.
  template <typename Record>
  static void Keep(const LinkContext& link, Record record);

  const Settings& settings_;
  DecodedText& text_;
  FlightDb& flights_;
  const SystemTableStore& systemTable_;
  const TextFormatters& formatters_;
  SystemTableDecoder& systemTableDecoder_;
  HfdlAcarsPrinter& acarsPrinter_;
};

}  // namespace talvir
