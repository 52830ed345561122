#include "acars/hfdl_acars_printer.h"

#include <gtest/gtest.h>

#include "acars/acars_test_outputs.h"
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

TEST_F(HfdlAcarsPrinterTest, DownlinkFeedsTheDatabaseAndEveryOutput) {
  settings.Set(&SettingsRecord::showHAcars, 1);
  decodedText.Printf("[MPDU line]\r\n");
  const std::string text = Print(1, Received(Downlink("HELLO")));

  const std::string expected = kHeadLines +
                               "Msg. no: M01A Flight id: UA1234\n"
                               "Message content:-\n"
                               "HELLO\n" +
                               kTestClosingLine;
  EXPECT_EQ(text, expected);
  EXPECT_EQ(OstraleLog(), WithCrLf(expected));
  // One flush carries the frame's earlier lines ahead of the message.
  ASSERT_EQ(ui.decodedText.size(), 1u);
  EXPECT_EQ(ui.decodedText[0], "[MPDU line]\r\n" + WithCrLf(expected));

  const int index = flights.FlightDbFindByFlightId("UA1234");
  ASSERT_GE(index, 0);
  const auto record = flights.FlightDbRecord(index);
  EXPECT_EQ(record->RegistrationText(), ".N123AB");
  EXPECT_EQ(record->logonKey, kGroundStation * 256 + kAid);
}

TEST_F(HfdlAcarsPrinterTest, UplinkShowsOnlyTextBetweenStxAndEtx) {
  const std::string text = Print(0, Received({.registration = "N123AB", .label = "H1", .blockId = 'D',
                                              .downlink = false, .text = "AB\x03" "CD\x02" "EF",
                                              .lastBlock = false}));
  EXPECT_EQ(text, kHeadLines + "[Uplink]\nMessage content:-\nAB\nEF\n" + kTestClosingLine);
  // Uplinks never reach the database; with "H ACARS" off not the window either.
  EXPECT_EQ(flights.FlightDbFindByRegistration(".N123AB"), -1);
  EXPECT_TRUE(ui.decodedText.empty());
  EXPECT_EQ(OstraleLog(), WithCrLf(text));
}

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

}  // namespace
}  // namespace talvir
