#pragma once
// One ACARS block as both bearers deliver it (HFDL and VHF), its fields read
// once: the printed message text and the records of the outputs come from it.

#include <ctime>
#include <optional>
#include <string>

namespace talvir {

struct AcarsMessage {
  bool uplink = false;
  // Fields as received, control bytes named; "" when the block ends before
  // them. A downlink's text starts with the message number and flight id.
  std::string mode;
  std::string registration;
  std::string ack;
  std::string label;
  std::string blockId;
  std::string messageNumber;
  std::string flightId;
  std::string text;   // the message content as printed (line ends LF)
  bool more = false;  // ended in ETB: further blocks follow
  std::time_t stamp = 0;
  // VHF only, when the demodulator reports them.
  std::optional<double> levelDb;
  std::optional<int> correctedBits;
  // VHF from a band of many channels: which one, as listed, and its
  // frequency.
  std::optional<int> channel;
  std::optional<double> frequencyMhz;
};

}  // namespace talvir
