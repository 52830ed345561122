#include "acars/vhf_acars_printer.h"

#include <gtest/gtest.h>

#include "acars/acars_test_outputs.h"
#include "testbench/frames/acars_block.h"

namespace talvir {
namespace {

using testing::Bytes;
using testing::kTestClosingLine;
using testing::WithCrLf;

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

TEST_F(VhfAcarsPrinterTest, NormalMessageReachesEveryOutput) {
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
}

TEST_F(VhfAcarsPrinterTest, WithDisplayOffOnlyTheWindowMissesIt) {
  settings.Set(&SettingsRecord::showVAcars, 0);
  printer.PrintVhfAcars(VhfBlock("M01AUA1234HELLO", '\x17'), {});
  EXPECT_TRUE(ui.decodedText.empty());
  EXPECT_EQ(decodedText.Length(), 0);
  ASSERT_EQ(dde.published.size(), 1u);
  EXPECT_NE(dde.published[0].find("Message content:-\nHELLO\n---"), std::string::npos);
  EXPECT_EQ(OstraleLog(), WithCrLf(dde.published[0]));
  EXPECT_GE(flights.FlightDbFindByFlightId("UA1234"), 0);
  // ETB: more blocks follow.
  ASSERT_EQ(records.vhf.size(), 1u);
  EXPECT_TRUE(records.vhf[0].more);
}

TEST_F(VhfAcarsPrinterTest, EmptyContentAndBlankFlightId) {
  printer.PrintVhfAcars(VhfBlock("M02B      "), {});
  EXPECT_EQ(dde.published.at(0),
            "VACARS mode: 2  Aircraft reg: .N123AB\n"
            "Message label: H1 Block id: 3  Msg. no: M02B Flight id:       \n"
            "Message content:-\n\n" +
                kTestClosingLine);
  // The database receives the blanks as they are.
  EXPECT_GE(flights.FlightDbFindByFlightId("      "), 0);
}

TEST_F(VhfAcarsPrinterTest, ShortTextsPrintTheFieldsAsFarAsReceived) {
  printer.PrintVhfAcars(VhfBlock("M03CUA1"), {});
  EXPECT_NE(dde.published.at(0).find("Msg. no: M03C Flight id: UA1\nMessage content:-\n\n---"),
            std::string::npos);

  printer.PrintVhfAcars(VhfBlock("M0"), {});
  EXPECT_NE(dde.published.at(1).find("Msg. no: M0 Flight id: \nMessage content:-\n\n---"),
            std::string::npos);

  // No text at all, and a block cut inside the label.
  printer.PrintVhfAcars(Bytes("\x01" "2.N123AB\x15" "H13\x02"), {});
  EXPECT_NE(dde.published.at(2).find("Block id: 3  Msg. no:  Flight id: \n"), std::string::npos);
  printer.PrintVhfAcars(Bytes("\x01" "2.N1"), {});
  printer.PrintVhfAcars(Bytes("\x01" "2.N123AB\x15" "H13\x02\x03"), {});
  EXPECT_NE(dde.published.at(4).find("Block id: 3  Msg. no:  Flight id: \n"), std::string::npos);
  EXPECT_EQ(records.vhf.at(4).messageNumber, "");
  EXPECT_EQ(dde.published.at(3), "VACARS mode: 2  Aircraft reg: .N1\nMessage label:  Block id:   "
                                 "Msg. no:  Flight id: \nMessage content:-\n\n" +
                                     kTestClosingLine);
}

TEST_F(VhfAcarsPrinterTest, TextsLongerThanTheAreaAreCut) {
  const std::string content(400, 'x');
  printer.PrintVhfAcars(VhfBlock("M04DUA1234" + content), {});
  // 352 characters of text: the number, the flight id and 342 of content.
  EXPECT_NE(dde.published.at(0).find("Message content:-\n" + std::string(342, 'x') + "\n---"),
            std::string::npos);
  EXPECT_EQ(dde.published.at(0).find(std::string(343, 'x')), std::string::npos);

  // Exactly filling the area: the terminator is the last character kept.
  printer.PrintVhfAcars(VhfBlock("M04DUA1234" + std::string(341, 'y')), {});
  EXPECT_NE(dde.published.at(1).find("Message content:-\n" + std::string(341, 'y') + "\n---"),
            std::string::npos);
}

TEST_F(VhfAcarsPrinterTest, ControlBytesAreNamedAndLineBreaksKept) {
  settings.Set(&SettingsRecord::showVAcars, 1);
  std::vector<uint8_t> block = VhfBlock("M05EUA1234A\r\nB\rC\nD\x7f\x1b[31m");
  block[4] = 0x9B;  // registration: ESC with its parity bit
  printer.PrintVhfAcars(block, {});
  const std::string& text = dde.published.at(0);
  EXPECT_NE(text.find("Aircraft reg: .N<ESC>23AB\n"), std::string::npos);
  EXPECT_NE(text.find("Message content:-\nA\nB\nC\nD<DEL><ESC>[31m\n---"), std::string::npos);
  EXPECT_NE(ui.AllDecodedText().find("A\r\nB\r\nC\r\nD<DEL><ESC>[31m\r\n---"), std::string::npos);
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
