#pragma once
// LPDUs: a type byte, a body and the FCS over both, low byte first. The
// result goes into an MPDU (mpdu_builder.h), which carries 1..256 bytes each.

#include <cstdint>
#include <span>
#include <vector>

#include "common/hfdl_pdu_types.h"

namespace talvir::testbench {

inline constexpr int kLpduMaxBytes = 256;
inline constexpr int kLpduOverheadBytes = 3;  // type byte and FCS

using talvir::LpduType;

// Any LPDU from its raw type byte and body. Throws std::invalid_argument when
// the whole would exceed 256 bytes.
std::vector<uint8_t> BuildLpdu(uint8_t typeByte, std::span<const uint8_t> body);

// Numbered data: a sequence byte, then a BDU (its header byte and data).
struct NumberedDataFields {
  uint8_t typeByte = 0x00;  // must be even
  int rn = 0;               // 0..3, bits 1..2 of the sequence byte
  int us = 0;               // 0..15, U(S) or D(S), bits 4..7
  int pq = 0;               // 0..15, BDU bits 0..3
  bool more = false;        // BDU bit 4
  int bsn = 0;              // 0..7, BDU bits 5..7
  std::vector<uint8_t> bduData{};
};
std::vector<uint8_t> BuildNumberedDataLpdu(const NumberedDataFields& fields);

// Unnumbered (acknowledged) data carrying one HFNPDU.
std::vector<uint8_t> BuildUnnumberedDataLpdu(std::span<const uint8_t> hfnpdu, bool acknowledged = false);

// Log-on request, DLS request or resume (type kLogonRequest, kLogonDlsRequest,
// kLogonResume): the aircraft's ICAO address, optionally followed by an HFNPDU.
std::vector<uint8_t> BuildLogonRequestLpdu(LpduType type, uint32_t icao,
                                           std::span<const uint8_t> hfnpdu = {});

// Log-on confirm or resume confirm (kLogonConfirm, kLogonResumeConfirm).
struct LogonConfirmFields {
  uint32_t icao = 0;
  uint8_t assignedAid = 0;
  int txw = 0;           // 0..15, transmit window
  int dr = 0;            // 0..31, D(R)
  uint8_t drVector = 0;  // D(R) vector
};
std::vector<uint8_t> BuildLogonConfirmLpdu(LpduType type, const LogonConfirmFields& fields);

// Log-on denied (kLogonDenied) or log-off request (kLogoffRequest): the ICAO
// address and a reason code.
std::vector<uint8_t> BuildReasonLpdu(LpduType type, uint32_t icao, uint8_t reason);

}  // namespace talvir::testbench
