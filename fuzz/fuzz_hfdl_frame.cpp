// Feeds arbitrary bytes to the HFDL frame decoder with every display option
// on. The first byte picks the rate code the burst claims and whether the
// frame's check sequences are set right first (so that mutations reach the
// LPDU, HFNPDU, system-table and ACARS decoders); the rest is the frame.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "common/crc16.h"

#include "config/settings.h"
#include "outputs/log_files.h"
#include "protocol/protocol_stack.h"

namespace {

struct Chain {
  Chain() {
    for (auto field : {&talvir::SettingsRecord::showHex, &talvir::SettingsRecord::showPreamble,
                       &talvir::SettingsRecord::showMpdu, &talvir::SettingsRecord::showSpdu,
                       &talvir::SettingsRecord::showLpdu, &talvir::SettingsRecord::showBdu,
                       &talvir::SettingsRecord::showHfnpdu, &talvir::SettingsRecord::verbose,
                       &talvir::SettingsRecord::showHAcars}) {
      settings.Set(field, 1);
    }
    settings.Set(&talvir::SettingsRecord::hfdlLogging, 0);
    settings.Set(&talvir::SettingsRecord::ostraleLogging, 0);
  }
  talvir::Settings settings;
  // A folder that does not exist: the logs write nothing.
  talvir::LogFiles logs{settings, talvir::DataPaths{std::filesystem::path("/nonexistent-talvir-fuzz")}};
  talvir::NoExternalOutputs outputs;
  talvir::ProtocolStack stack{settings, logs, outputs, outputs};
};

// Writes the FCS over frame[0, n) into frame[n], frame[n+1] when they exist.
void SetFcs(std::vector<uint8_t>& frame, std::size_t start, std::size_t n) {
  if (start + n + 2 > frame.size()) return;
  const uint16_t fcs = talvir::HfdlFcs(std::span<const uint8_t>(frame).subspan(start, n));
  frame[start + n] = static_cast<uint8_t>(fcs);
  frame[start + n + 1] = static_cast<uint8_t>(fcs >> 8);
}

// Sets the squitter's FCS, or the MPDU header's and every LPDU's.
void FixChecks(std::vector<uint8_t>& frame) {
  if (frame.empty()) return;
  if ((frame[0] & 1) == 0) return SetFcs(frame, 0, 64);
  std::vector<std::size_t> lengths;
  std::size_t header = 0;
  if (frame[0] & 2) {
    const std::size_t n = (frame[0] >> 2) & 0x0F;
    header = n + 6;
    for (std::size_t i = 0; i < n && 6 + i < frame.size(); ++i) lengths.push_back(frame[6 + i] + 1u);
  } else {
    std::size_t at = 2;
    for (int b = 0; b < ((frame[0] >> 4) & 7) + 1 && at + 1 < frame.size(); ++b) {
      const std::size_t m = frame[at + 1] >> 4;
      for (std::size_t i = 0; i < m && at + 2 + i < frame.size(); ++i) lengths.push_back(frame[at + 2 + i] + 1u);
      at += 2 + m;
    }
    header = at;
  }
  SetFcs(frame, 0, header);
  std::size_t offset = header + 2;
  for (std::size_t length : lengths) {
    if (length >= 2) SetFcs(frame, offset, length - 2);
    offset += length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Chain chain;
  if (size == 0) return 0;
  talvir::BurstInfo burst;
  burst.rateCode = data[0] & 7;
  burst.detectedSlotIndex = 1 + data[0] % 13;
  burst.statusLine = "TS(1) ";
  std::vector<uint8_t> frame(data + 1, data + size);
  if (data[0] & 0x40) FixChecks(frame);
  chain.stack.decoder.ReceiveFrame(frame, burst);
  if (data[0] & 0x80) chain.stack.flights.FlightDbAgeTick();
  return 0;
}
