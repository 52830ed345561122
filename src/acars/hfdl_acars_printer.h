#pragma once
// Prints an ACARS block carried over HFDL as a self-contained message text and
// hands it to the outputs; downlinks with a flight id feed the aircraft
// database.

#include <cstdint>
#include <span>

#include "acars/acars_message_outputs.h"
#include "common/acars_record.h"

namespace talvir {

class HfdlAcarsPrinter {
 public:
  explicit HfdlAcarsPrinter(AcarsMessageOutputs outputs) : outputs_(outputs) {}

  // block: the HFNPDU payload after FF FF, bit 7 of every byte cleared; its
  // check bytes and DEL are not printed. direction 1 = air to ground.
  // Returns the message's record.
  AcarsMessage PrintHfdlAcars(int direction, int groundStationId, int aid, std::span<const uint8_t> block);

 private:
  AcarsMessageOutputs outputs_;
};

}  // namespace talvir
