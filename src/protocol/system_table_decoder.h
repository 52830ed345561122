#pragma once
// Collects the packets of one HFDL system table, joins them, decodes the
// ground stations and keeps the newest table in the store. Prints each packet
// and each complete table whatever the display options are.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "common/hfdl_records.h"
#include "tracking/system_table_store.h"

namespace talvir {

class DecodedText;
class GroundStations;

inline constexpr int kSystemTableMaxPackets = 16;
inline constexpr int kSystemTablePacketCapacity = 512;  // bytes of table data per packet
inline constexpr int kSystemTableStationHeaderBytes = 7;
inline constexpr int kSystemTableFrequencyRecordBytes = 4;

// Hertz from the three BCD bytes of a frequency record: f2 tens and units of
// MHz (bits 4-5 and 0-3), f1 hundreds and tens of kHz, f0 kHz and 100 Hz.
uint32_t DecodeBcdFrequency(uint8_t f0, uint8_t f1, uint8_t f2);

// The stations of joined table data. Headers and frequency records are read
// only while a whole one remains; at most 128 stations and 20 frequencies each
// (further frequency records are passed over).
SystemTable DecodeSystemTableData(std::span<const uint8_t> data, int packetCount,
                                  int sequenceNumber, int version);

// The System Table window's text from the stored table.
std::string RenderSystemTableWindow(const SystemTableStore& store, const GroundStations& stations);

class SystemTableDecoder {
 public:
  SystemTableDecoder(DecodedText& text, SystemTableStore& store, const GroundStations& stations);
  SystemTableDecoder(const SystemTableDecoder&) = delete;
  SystemTableDecoder& operator=(const SystemTableDecoder&) = delete;

  // payload: the HFNPDU bytes after FF D0. None when too short for a packet.
  std::optional<SystemTablePacket> DecodeSystemTablePacket(std::span<const uint8_t> payload);
  // Forgets every packet collected so far.
  void SystemTablePacketsReset();

 private:
  struct Packet {
    std::array<uint8_t, kSystemTablePacketCapacity> data{};
    int length = 0;
    bool received = false;
  };

  void PrintTable(const SystemTable& table);

  DecodedText& text_;
  SystemTableStore& store_;
  const GroundStations& stations_;
  int expectedCount_ = kSystemTableMaxPackets;
  int collectionVersion_ = -1;  // the version of the packets held; -1 = none held
  std::array<Packet, kSystemTableMaxPackets> packets_{};
};

}  // namespace talvir
