#pragma once
// Prints every checked VHF ACARS block as the program's ACARS message text,
// hands it to the outputs and reports flight id and registration, with the
// current UTC time, to the aircraft database. Uplinks (block ids A..Z, a..z)
// carry no message number or flight id: their whole text is shown.

#include <cstdint>
#include <optional>
#include <span>

#include "acars/acars_message_outputs.h"
#include "common/decoder_links.h"

namespace talvir {

class VhfAcarsPrinter final : public VhfMessageSink {
 public:
  // Characters of text (message number, flight id, message, ETX or ETB)
  // printed at most; longer texts are cut.
  static constexpr std::size_t kTextCapacity = 352;

  explicit VhfAcarsPrinter(AcarsMessageOutputs outputs) : outputs_(outputs) {}
  // One of several channels cut from a band: the text and the record say
  // which.
  struct Channel {
    int index = 0;
    double frequencyMhz = 0;
  };
  VhfAcarsPrinter(AcarsMessageOutputs outputs, Channel channel) : outputs_(outputs), channel_(channel) {}

  // block: SOH through the ETX or ETB, parity bits still set.
  void PrintVhfAcars(std::span<const uint8_t> block, const VhfBlockQuality& quality) override;

 private:
  AcarsMessageOutputs outputs_;
  std::optional<Channel> channel_;
};

}  // namespace talvir
