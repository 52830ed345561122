// The ACARS printers: the HFDL printer that the HFNPDU decoder hands its
// blocks to, and the VHF printer. The text rules they share are pinned by
// their texts.

#include <gtest/gtest.h>

#include <vector>

#include "acars/acars_test_outputs.h"
#include "acars/hfdl_acars_printer.h"
#include "acars/vhf_acars_printer.h"
#include "testbench/frames/acars_block.h"

namespace talvir {
namespace {

using testing::Bytes;
using testing::kTestClosingLine;
using testing::WithCrLf;

namespace tb = testbench;

constexpr int kGroundStation = 3;
constexpr int kAid = 0x21;

// A block as the test bench sends it (check bytes and DEL after the ETX),
// with the parity bits cleared as the HFNPDU decoder hands it over.
std::vector<uint8_t> Received(const tb::AcarsMessage& message) {
  std::vector<uint8_t> block = tb::BuildAcarsBlock(message);
  for (uint8_t& b : block) b &= 0x7F;
  return block;
}

tb::AcarsMessage Downlink(std::string text) {
  return {.registration = "N123AB", .label = "H1", .blockId = 'D', .messageNumber = "M01A",
          .flightId = "UA1234", .text = std::move(text)};
}

const std::string kHeadLines = "HACARS mode: 2  Aircraft reg: .N123AB\nMessage label: H1  Block id: D  ";

class HfdlAcarsPrinterTest : public ::testing::Test, protected testing::AcarsTestOutputs {
 protected:
  std::string Print(int direction, const std::vector<uint8_t>& block) {
    printer.PrintHfdlAcars(direction, kGroundStation, kAid, block);
    return dde.published.empty() ? "" : dde.published.back();
  }

  HfdlAcarsPrinter printer{Outputs()};
};

// The check bytes follow the text directly when no ETX ends it: they are
// not characters and must not be shown ("NO ENDAB").
TEST_F(HfdlAcarsPrinterTest, DownlinkWithoutEtxShowsItsTextButNotItsCheckBytes) {
  std::vector<uint8_t> block = Received(Downlink("NO END"));
  block.erase(block.end() - 4);  // the ETX
  block[block.size() - 3] = 'A';
  block[block.size() - 2] = 'B';
  EXPECT_EQ(Print(1, block),
            kHeadLines + "Msg. no: M01A Flight id: UA1234\nMessage content:-\nNO END" + kTestClosingLine);
}

TEST_F(HfdlAcarsPrinterTest, FieldsAndTextNameTheirControlBytes) {
  std::vector<uint8_t> block = Received(Downlink("L1\r\nL2\rL3\nL4\x1b[2J\x07"));
  block[2] = 0x1B;   // registration
  block[11] = 0x7F;  // label
  block[20] = 0x0A;  // flight id
  const std::string text = Print(1, block);
  EXPECT_EQ(text,
            "HACARS mode: 2  Aircraft reg: <ESC>N123AB\nMessage label: H<DEL>  Block id: D  "
            "Msg. no: M01A Flight id: UA<LF>234\nMessage content:-\nL1\nL2\nL3\nL4<ESC>[2J<BEL>\n" +
                kTestClosingLine);
  EXPECT_GE(flights.FlightDbFindByRegistration("<ESC>N1"), 0);  // seven characters are kept
}

TEST_F(HfdlAcarsPrinterTest, DownlinkWithoutStxPrintsTheHeaderOnlyAndShortBlocksWhatIsThere) {
  const std::string text = Print(
      1, Received({.registration = "N123AB", .label = "H1", .blockId = 'D', .downlink = false}));
  EXPECT_EQ(text, kHeadLines + kTestClosingLine);
  EXPECT_EQ(flights.FlightDbFindByRegistration(".N123AB"), -1);

  // Cut inside the flight id: printed as far as it goes, not listed.
  EXPECT_EQ(Print(1, Bytes("\x01" "2.N123AB\x15" "H1D\x02" "M01AUA1" "ab\x7f")),
            kHeadLines + "Msg. no: M01A Flight id: UA1\nMessage content:-\n" + kTestClosingLine);
  EXPECT_EQ(flights.FlightDbFindByRegistration(".N123AB"), -1);

  EXPECT_EQ(Print(0, Bytes("\x01" "2.N1ab\x7f")), "HACARS mode: 2  Aircraft reg: .N1\nMessage label:   Block id:   "
                                                 "[Uplink]\nMessage content:-\n" +
                                                     kTestClosingLine);
  EXPECT_EQ(Print(1, {}), "HACARS mode:   Aircraft reg: \nMessage label:   Block id:   " + kTestClosingLine);
}

// SOH, mode, registration, technical acknowledgement, label, block id (a
// digit: a downlink), STX.
const std::string kHeader = "\x01" "2.N123AB\x15" "H13\x02";

std::vector<uint8_t> VhfBlock(std::string_view text, char end = '\x03') {
  std::vector<uint8_t> block = Bytes(kHeader + std::string(text) + end);
  // Odd parity as received: bit 7 set on some characters.
  for (uint8_t& b : block) {
    if (__builtin_popcount(b) % 2 == 0) b |= 0x80;
  }
  return block;
}

class VhfAcarsPrinterTest : public ::testing::Test, protected testing::AcarsTestOutputs {
 protected:
  VhfAcarsPrinter printer{Outputs()};
};

TEST_F(VhfAcarsPrinterTest, NormalMessageReachesEveryOutputAndWithDisplayOffAllButTheWindow) {
  settings.Set(&SettingsRecord::showVAcars, 1);
  printer.PrintVhfAcars(VhfBlock("M01AUA1234HELLO WORLD"), {});

  const std::string expected =
      "VACARS mode: 2  Aircraft reg: .N123AB\n"
      "Message label: H1 Block id: 3  Msg. no: M01A Flight id: UA1234\n"
      "Message content:-\n"
      "HELLO WORLD\n" +
      kTestClosingLine;
  ASSERT_EQ(dde.published.size(), 1u);
  EXPECT_EQ(dde.published[0], expected);
  EXPECT_EQ(ui.AllDecodedText(), WithCrLf(expected));
  EXPECT_EQ(ui.decodedText.size(), 1u);
  EXPECT_EQ(OstraleLog(), WithCrLf(expected));

  const int index = flights.FlightDbFindByFlightId("UA1234");
  ASSERT_GE(index, 0);
  const auto record = flights.FlightDbRecord(index);
  EXPECT_EQ(record->RegistrationText(), ".N123AB");
  EXPECT_EQ(record->positionTime, (12 * 3600 + 3 * 60) / 2);
  EXPECT_EQ(ui.flightList, std::vector<std::string>{"UA1234"});

  ASSERT_EQ(records.vhf.size(), 1u);
  const AcarsMessage& message = records.vhf[0];
  EXPECT_EQ((std::vector{message.mode, message.registration, message.ack, message.label, message.blockId,
                         message.messageNumber, message.flightId, message.text}),
            (std::vector<std::string>{"2", ".N123AB", "<NAK>", "H1", "3", "M01A", "UA1234", "HELLO WORLD"}));
  EXPECT_FALSE(message.uplink);
  EXPECT_FALSE(message.more);
  EXPECT_EQ(message.stamp, testing::kTestNow);

  // With the display off only the window misses it; ETB: more blocks follow.
  settings.Set(&SettingsRecord::showVAcars, 0);
  printer.PrintVhfAcars(VhfBlock("M01AUA1234HELLO", '\x17'), {});
  EXPECT_EQ(ui.decodedText.size(), 1u);
  EXPECT_EQ(decodedText.Length(), 0);
  ASSERT_EQ(dde.published.size(), 2u);
  EXPECT_NE(dde.published[1].find("Message content:-\nHELLO\n---"), std::string::npos);
  EXPECT_EQ(OstraleLog(), WithCrLf(expected + dde.published[1]));
  ASSERT_EQ(records.vhf.size(), 2u);
  EXPECT_TRUE(records.vhf[1].more);
}

TEST_F(VhfAcarsPrinterTest, EmptyShortAndLongTextsPrintTheFieldsAsFarAsReceivedAndFit) {
  printer.PrintVhfAcars(VhfBlock("M02B      "), {});
  EXPECT_EQ(dde.published.at(0),
            "VACARS mode: 2  Aircraft reg: .N123AB\n"
            "Message label: H1 Block id: 3  Msg. no: M02B Flight id:       \n"
            "Message content:-\n\n" +
                kTestClosingLine);
  // The database receives the blanks as they are.
  EXPECT_GE(flights.FlightDbFindByFlightId("      "), 0);

  printer.PrintVhfAcars(VhfBlock("M03CUA1"), {});
  EXPECT_NE(dde.published.at(1).find("Msg. no: M03C Flight id: UA1\nMessage content:-\n\n---"), std::string::npos);

  printer.PrintVhfAcars(VhfBlock("M0"), {});
  EXPECT_NE(dde.published.at(2).find("Msg. no: M0 Flight id: \nMessage content:-\n\n---"), std::string::npos);

  // No text at all, and a block cut inside the label.
  printer.PrintVhfAcars(Bytes("\x01" "2.N123AB\x15" "H13\x02"), {});
  EXPECT_NE(dde.published.at(3).find("Block id: 3  Msg. no:  Flight id: \n"), std::string::npos);
  printer.PrintVhfAcars(Bytes("\x01" "2.N1"), {});
  printer.PrintVhfAcars(Bytes("\x01" "2.N123AB\x15" "H13\x02\x03"), {});
  EXPECT_NE(dde.published.at(5).find("Block id: 3  Msg. no:  Flight id: \n"), std::string::npos);
  EXPECT_EQ(records.vhf.at(5).messageNumber, "");
  EXPECT_EQ(dde.published.at(4),
            "VACARS mode: 2  Aircraft reg: .N1\nMessage label:  Block id:   "
            "Msg. no:  Flight id: \nMessage content:-\n\n" +
                kTestClosingLine);

  // Longer texts are cut to the area: the number, the flight id and 342 of
  // content.
  printer.PrintVhfAcars(VhfBlock("M04DUA1234" + std::string(400, 'x')), {});
  EXPECT_NE(dde.published.at(6).find("Message content:-\n" + std::string(342, 'x') + "\n---"), std::string::npos);
  EXPECT_EQ(dde.published.at(6).find(std::string(343, 'x')), std::string::npos);

  // Exactly filling the area: the terminator is the last character kept.
  printer.PrintVhfAcars(VhfBlock("M04DUA1234" + std::string(341, 'y')), {});
  EXPECT_NE(dde.published.at(7).find("Message content:-\n" + std::string(341, 'y') + "\n---"), std::string::npos);
}

// Ground stations number their blocks with letters; the text right after
// the STX is the message, not a message number and flight id.
TEST_F(VhfAcarsPrinterTest, UplinkShowsItsWholeTextAndNoFlightId) {
  settings.Set(&SettingsRecord::showVAcars, 1);
  std::vector<uint8_t> block = testbench::BuildVhfAcarsBlock(
      {.registration = "N123AB", .label = "H1", .blockId = 'A', .downlink = false, .text = "UPLINK TEXT"});
  block.resize(block.size() - 3);  // the demodulator hands over SOH .. ETX
  printer.PrintVhfAcars(block, {});
  const std::string expected =
      "VACARS mode: 2  Aircraft reg: .N123AB\n"
      "Message label: H1 Block id: A  [Uplink]\n"
      "Message content:-\n"
      "UPLINK TEXT\n" +
      kTestClosingLine;
  EXPECT_EQ(dde.published.at(0), expected);
  EXPECT_EQ(ui.AllDecodedText(), WithCrLf(expected));
  EXPECT_TRUE(ui.flightList.empty());
  EXPECT_TRUE(ui.flightDetails.empty());
  EXPECT_EQ(flights.FlightDbFindByFlightId("UPLINK"), -1);
  // The registration is the aircraft's own, heard in either direction.
  const int index = flights.FlightDbFindByRegistration(".N123AB");
  ASSERT_GE(index, 0);
  EXPECT_EQ(flights.FlightDbRecord(index)->FlightIdText(), "");
}

}  // namespace
}  // namespace talvir
