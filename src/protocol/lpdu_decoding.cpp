// LPDUs: the link layer inside an MPDU. Data LPDUs carry HFNPDUs or BDUs; the
// log-on family carries the aircraft's ICAO address and its assigned AID.

#include <cstdio>

#include "common/crc16.h"
#include "common/hfdl_pdu_types.h"
#include "config/settings.h"
#include "outputs/decoded_text.h"
#include "protocol/hfdl_decoder.h"
#include "protocol/icao_address.h"
#include "protocol/pdu_descriptions.h"
#include "protocol/text_formatters.h"
#include "tracking/flight_db.h"

namespace talvir {
namespace {

using enum LpduType;

constexpr int kIcaoBytes = 3;
constexpr int kReasonBodyBytes = 4;   // ICAO address, reason
constexpr int kConfirmBodyBytes = 7;  // ICAO address, AID, TXW, D(R)

}  // namespace

void HfdlDecoder::DecodeLpdu(LinkContext& link, std::span<const uint8_t> lpdu, const BurstInfo& burst) {
  LpduRecord record;
  if (ReadLpdu(link, lpdu, record)) links_.records.OnLpdu(burst, record);
}

bool HfdlDecoder::ReadLpdu(LinkContext& link, std::span<const uint8_t> lpdu, LpduRecord& record) {
  const Settings& settings = links_.settings;
  DecodedText& text = links_.text;
  const bool showLpdu = settings.On(&SettingsRecord::showLpdu);
  const int length = static_cast<int>(lpdu.size());
  if (length < 3 || !HfdlCrcCheck(lpdu, length - 2)) {
    // Fewer than three bytes hold no type byte beside the FCS.
    if (showLpdu) text.Append("LPDU [CRC FAIL]\r\n");
    return false;
  }
  const uint8_t type = lpdu[0];
  const auto body = lpdu.subspan(1, static_cast<std::size_t>(length - 3));
  const bool fromAir = link.direction == kDirectionAirToGround;
  const std::string label = links_.formatters.FlightLabel(link.aid);

  record.direction = link.direction;
  record.groundStationId = link.groundStationId;
  record.aid = link.aid;
  record.type = type;
  if (link.icaoKnown != 0) record.icaoAddress = link.icaoAddress;
  const auto carrying = [&](std::span<const uint8_t> hfnpdu) {
    record.hfnpdu.emplace();
    link.hfnpdu = &*record.hfnpdu;
    links_.hfnpdu.DecodeHfnpdu(link, hfnpdu);
    link.hfnpdu = nullptr;
  };

  if ((type & 1) == 0) {
    if (body.empty()) return true;
    if (showLpdu) {
      const int r = body[0];
      text.Printf(fromAir ? "[LPDU NUMBERED DATA FM AIR %s TO GND]\r\nRN = %d  U(S)/D(S) = %d\r\n"
                          : "[LPDU NUMBERED DATA FM GND TO AIR %s]\r\nRN = %d  U(S)/D(S) = %d\r\n",
                  label.c_str(), (r >> 1) & 3, r >> 4);
    }
    const auto bdu = body.subspan(1);
    if (!bdu.empty() && settings.On(&SettingsRecord::showBdu)) {
      text.Printf("[BDU PQ = %d  M = %d  BSN = %d]\r\n", bdu[0] & 0x0F, (bdu[0] >> 4) & 1, bdu[0] >> 5);
      text.HexDump(bdu.subspan(1));
    }
    return true;
  }

  const auto kind = static_cast<LpduType>(type);
  switch (kind) {
    case kUnnumberedData:
    case kUnnumberedAckedData:
      if (showLpdu) {
        const bool acked = kind == kUnnumberedAckedData;
        if (fromAir) {
          text.Printf(acked ? "[LPDU UNNUMBERED ACKED DATA FM AIR %s TO GND]\r\n"
                            : "[LPDU UNNUMBERED DATA FM AIR %s TO GND]\r\n", label.c_str());
        } else {
          text.Printf(acked ? "[LPDU UNNUMBERED ACKED DATA FM GND TO AIR %s]\r\n"
                            : "[LPDU UNNUMBERED DATA FM GND TO AIR %s]\r\n", label.c_str());
        }
      }
      carrying(body);
      return true;

    case kLogonRequest:
    case kLogonDlsRequest:
    case kLogonResume: {
      if (body.size() < kIcaoBytes) return true;
      const int icao = ReadIcaoAddress(body);
      link.icaoAddress = icao;
      link.icaoKnown = 1;
      record.icaoAddress = icao;
      if (showLpdu) {
        const char* format = kind == kLogonRequest      ? "[LPDU LOG ON REQUEST]\r\nICAO %.6X\r\n"
                             : kind == kLogonDlsRequest ? "[LPDU LOG ON DLS REQUEST]\r\nICAO %.6X\r\n"
                                                        : "[LPDU LOG ON RESUME]\r\nICAO %.6X\r\n";
        text.Printf(format, icao);
      }
      // An HFNPDU may follow the address.
      if (body.size() > kIcaoBytes) carrying(body.subspan(kIcaoBytes));
      return true;
    }

    case kLogonConfirm:
    case kLogonResumeConfirm: {
      if (body.size() < kConfirmBodyBytes) return true;
      link.icaoAddress = ReadIcaoAddress(body);
      link.aid = body[3];
      record.icaoAddress = link.icaoAddress;
      record.assignedAid = link.aid;
      const int txw = body[4] & 0x0F;
      const int v = body[5] | (body[6] << 8);
      links_.flights.FlightDbUpdateFromLogon(link.groundStationId, link.aid, link.icaoAddress, link.hfChannel);
      if (showLpdu) {
        text.Printf(kind == kLogonConfirm ? "[LPDU LOG ON CONFIRM]\r\nICAO %.6X ID %.2X "
                                          : "[LPDU LOG ON RESUME CONFIRM]\r\nICAO %.6X AID %.2X ",
                    link.icaoAddress, link.aid);
        text.Printf("TXW = %d D(R) = %d D(R)vect = %d\r\n", txw, (v >> 3) & 0x1F, body[6]);
      }
      return true;
    }

    case kLogonDenied:
    case kLogoffRequest: {
      if (body.size() < kReasonBodyBytes) return true;
      const int icao = ReadIcaoAddress(body);
      const int reason = body[3];
      record.icaoAddress = icao;
      record.reason = reason;
      if (!showLpdu) return true;
      if (kind == kLogonDenied) {
        text.Printf("[LPDU LOG ON DENIED]\r\nICAO %.6X REASON %.2X %s\r\n", icao, reason,
                    std::string(LogonDeniedReason(reason)).c_str());
      } else {
        text.Printf("[LPDU LOG OFF REQUEST]\r\nICAO %.6X REASON %.2X %s\r\n", icao, reason,
                    std::string(LogoffReason(reason)).c_str());
      }
      return true;
    }

    default:
      text.Append("[LPDU UNKNOWN REQUEST]\r\n");
      return true;
  }
}

}  // namespace talvir
