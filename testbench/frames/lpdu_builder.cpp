#include "testbench/frames/lpdu_builder.h"

#include <stdexcept>
#include <string>

#include "testbench/frames/coordinates.h"
#include "testbench/frames/frame_writer.h"

namespace talvir::testbench {
namespace {

void RequireType(LpduType type, std::initializer_list<LpduType> allowed, const char* builder) {
  for (LpduType a : allowed) {
    if (type == a) return;
  }
  throw std::invalid_argument(std::string(builder) + ": type byte " + std::to_string(static_cast<int>(type)) +
                              " does not belong here");
}

std::vector<uint8_t> AddressBody(uint32_t icao) {
  const auto field = IcaoAddressField(icao);
  return {field.begin(), field.end()};
}

}  // namespace

std::vector<uint8_t> BuildLpdu(uint8_t typeByte, std::span<const uint8_t> body) {
  RequireInRange("LPDU length", static_cast<long long>(body.size()) + kLpduOverheadBytes, kLpduOverheadBytes,
                 kLpduMaxBytes);
  FrameWriter w;
  w.PutByte(typeByte);
  w.PutBytes(body);
  w.PutFcs();
  return w.Take();
}

std::vector<uint8_t> BuildNumberedDataLpdu(const NumberedDataFields& f) {
  if (f.typeByte & 1) throw std::invalid_argument("numbered data LPDU: the type byte must be even");
  RequireInRange("numbered data RN", f.rn, 0, 3);
  RequireInRange("numbered data U(S)", f.us, 0, 15);
  RequireInRange("BDU PQ", f.pq, 0, 15);
  RequireInRange("BDU BSN", f.bsn, 0, 7);
  FrameWriter body;
  body.PutBits(0, 1);
  body.PutBits(static_cast<uint32_t>(f.rn), 2);
  body.PutBits(0, 1);
  body.PutBits(static_cast<uint32_t>(f.us), 4);
  body.PutBits(static_cast<uint32_t>(f.pq), 4);
  body.PutBits(f.more, 1);
  body.PutBits(static_cast<uint32_t>(f.bsn), 3);
  body.PutBytes(f.bduData);
  return BuildLpdu(f.typeByte, body.Take());
}

std::vector<uint8_t> BuildUnnumberedDataLpdu(std::span<const uint8_t> hfnpdu, bool acknowledged) {
  const LpduType type = acknowledged ? LpduType::kUnnumberedAckedData : LpduType::kUnnumberedData;
  return BuildLpdu(static_cast<uint8_t>(type), hfnpdu);
}

std::vector<uint8_t> BuildLogonRequestLpdu(LpduType type, uint32_t icao, std::span<const uint8_t> hfnpdu) {
  RequireType(type, {LpduType::kLogonRequest, LpduType::kLogonDlsRequest, LpduType::kLogonResume},
              "log-on request LPDU");
  std::vector<uint8_t> body = AddressBody(icao);
  body.insert(body.end(), hfnpdu.begin(), hfnpdu.end());
  return BuildLpdu(static_cast<uint8_t>(type), body);
}

std::vector<uint8_t> BuildLogonConfirmLpdu(LpduType type, const LogonConfirmFields& f) {
  RequireType(type, {LpduType::kLogonConfirm, LpduType::kLogonResumeConfirm}, "log-on confirm LPDU");
  RequireInRange("log-on confirm TXW", f.txw, 0, 15);
  RequireInRange("log-on confirm D(R)", f.dr, 0, 31);
  std::vector<uint8_t> body = AddressBody(f.icao);
  body.push_back(f.assignedAid);
  body.push_back(static_cast<uint8_t>(f.txw));
  body.push_back(static_cast<uint8_t>(f.dr << 3));
  body.push_back(f.drVector);
  return BuildLpdu(static_cast<uint8_t>(type), body);
}

std::vector<uint8_t> BuildReasonLpdu(LpduType type, uint32_t icao, uint8_t reason) {
  RequireType(type, {LpduType::kLogonDenied, LpduType::kLogoffRequest}, "log-on denied / log-off LPDU");
  std::vector<uint8_t> body = AddressBody(icao);
  body.push_back(reason);
  return BuildLpdu(static_cast<uint8_t>(type), body);
}

}  // namespace talvir::testbench
