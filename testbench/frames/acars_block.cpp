#include "testbench/frames/acars_block.h"

#include <bit>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/crc16.h"
#include "testbench/frames/frame_writer.h"
#include "testbench/frames/hfnpdu_builder.h"

namespace talvir::testbench {
namespace {

constexpr int kRegistrationChars = 7;
constexpr int kLabelChars = 2;
constexpr int kMessageNumberChars = 4;

class BlockWriter {
 public:
  void Put(char c, std::string_view field) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) {
      throw std::invalid_argument("ACARS " + std::string(field) + ": character " + std::to_string(byte) +
                                  " is not 7-bit ASCII");
    }
    bytes_.push_back(WithOddParity(byte));
  }
  // `text` placed in a field of `width` characters.
  void PutField(std::string_view text, int width, char pad, bool padInFront, std::string_view field) {
    RequireInRange("ACARS " + std::string(field) + " length", static_cast<long long>(text.size()), 0, width);
    const int padding = width - static_cast<int>(text.size());
    if (padInFront) PutRepeated(pad, padding, field);
    PutText(text, field);
    if (!padInFront) PutRepeated(pad, padding, field);
  }
  void PutText(std::string_view text, std::string_view field) {
    for (char c : text) Put(c, field);
  }
  std::vector<uint8_t> FinishWithBcsAndDel() {
    const uint16_t bcs = AcarsBcs(std::span<const uint8_t>(bytes_).subspan(1));  // SOH is not covered
    bytes_.push_back(static_cast<uint8_t>(bcs & 0xFF));
    bytes_.push_back(static_cast<uint8_t>(bcs >> 8));
    bytes_.push_back(kAcarsDel);
    return std::move(bytes_);
  }

 private:
  void PutRepeated(char c, int count, std::string_view field) {
    for (int i = 0; i < count; ++i) Put(c, field);
  }
  std::vector<uint8_t> bytes_;
};

}  // namespace

uint8_t WithOddParity(uint8_t c) {
  const auto low = static_cast<uint8_t>(c & 0x7F);
  return std::popcount(low) % 2 == 1 ? low : static_cast<uint8_t>(low | 0x80);
}

std::vector<uint8_t> BuildAcarsBlock(const AcarsMessage& m) {
  if (m.label.size() != static_cast<std::size_t>(kLabelChars)) {
    throw std::invalid_argument("ACARS label \"" + m.label + "\" is not 2 characters");
  }
  RequireInRange("ACARS text length", static_cast<long long>(m.text.size()), 0, kAcarsMaxTextChars);
  BlockWriter w;
  w.Put(static_cast<char>(kAcarsSoh), "start of heading");
  w.Put(m.mode, "mode");
  w.PutField(m.registration, kRegistrationChars, '.', true, "registration");
  w.Put(m.technicalAck, "technical acknowledgement");
  w.PutText(m.label, "label");
  w.Put(m.blockId, "block id");
  if (m.downlink || !m.text.empty()) {
    w.Put(static_cast<char>(kAcarsStx), "start of text");
    if (m.downlink) {
      w.PutField(m.messageNumber, kMessageNumberChars, ' ', false, "message number");
      w.PutField(m.flightId, kFlightIdChars, ' ', false, "flight id");
    }
    w.PutText(m.text, "text");
  }
  w.Put(static_cast<char>(m.lastBlock ? kAcarsEtx : kAcarsEtb), "end of text");
  return w.FinishWithBcsAndDel();
}

}  // namespace talvir::testbench
