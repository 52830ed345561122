#include "protocol/pdu_descriptions.h"

namespace talvir {

std::string_view LogonDeniedReason(int code) {
  switch (code) {
    case 1: return "NO AID AVAILABLE ";
    case 2: return "RLS MODE NOT SUPPORTED ";
    case 3: return "OTHER REASON ";
    default: return "ILLEGAL REASON CODE ";
  }
}

std::string_view LogoffReason(int code) {
  static constexpr std::array<std::string_view, 7> kReasons = {
      "SYSTEM DISRUPTION TRANSMITTING OUT OF SLOT ",
      "TRANSMITTING IN WRONG SLOT ",
      "RLS PROTOCOL ERROR ",
      "INVALID AID BEING USED ",
      "RLS MODE NOT SUPPORTED ",
      "OTHER REASON ",
      "TEMPORARY TRANSCEIVER SHUTDOWN ",
  };
  return code >= 1 && code <= 7 ? kReasons[static_cast<std::size_t>(code - 1)] : "ILLEGAL REASON CODE ";
}

}  // namespace talvir
