#pragma once
// Labels and lists the decoders and the information windows share. Each
// returns its own text, so the worker and the window thread may call them at
// the same time.

#include <cstdint>
#include <string>

#include "tracking/position_text.h"

namespace talvir {

class FlightDb;
class GroundStations;
class SystemTableStore;

class TextFormatters {
 public:
  TextFormatters(const FlightDb& flights, const GroundStations& stations,
                 const SystemTableStore& systemTable);

  std::string GroundStationName(int id) const;
  // 0 "BRD", 255 "LOGON", else the flight id from the database or "%.2X".
  std::string FlightLabel(int aid) const;
  // 0 "", 255 "LOGON", else the flight id from the database or "".
  std::string FlightLabelOrEmpty(int aid) const;
  // One entry per set bit: "%8.0f KHz " with a known frequency, else the
  // frequency number as "%8.0f".
  std::string FormatFrequencyList(int stationId, uint32_t mask) const;
  // A squitter's 12-bit LPDU acknowledgement code.
  std::string FormatAckCode(int code) const;
  // A squitter's slot assignment byte.
  std::string FormatSlotAssignment(int code) const;

 private:
  const FlightDb& flights_;
  const GroundStations& stations_;
  const SystemTableStore& systemTable_;
};

}  // namespace talvir
