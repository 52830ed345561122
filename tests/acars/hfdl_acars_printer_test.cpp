#include "acars/hfdl_acars_printer.h"

#include <gtest/gtest.h>

#include "acars/acars_test_outputs.h"

namespace talvir {
namespace {

using testing::Bytes;
using testing::kTestClosingLine;
using testing::WithCrLf;

constexpr int kGroundStation = 3;
constexpr int kAid = 0x21;

// SOH, mode, registration, technical acknowledgement, label, block id; the
// last byte of a block is dropped by the printer.
const std::string kHeader = "\x01" "2.N123AB\x15" "H1D";

class HfdlAcarsPrinterTest : public ::testing::Test, protected testing::AcarsTestOutputs {
 protected:
  std::string Print(int direction, std::string_view blockText) {
    block = Bytes(blockText);
    printer.PrintHfdlAcars(direction, kGroundStation, kAid, block);
    return dde.published.empty() ? "" : dde.published.back();
  }

  HfdlAcarsPrinter printer{Outputs()};
  std::vector<uint8_t> block;
};

TEST_F(HfdlAcarsPrinterTest, DownlinkFeedsTheDatabaseAndEveryOutput) {
  settings.Set(&SettingsRecord::showHAcars, 1);
  decodedText.Printf("[MPDU line]\r\n");
  const std::string text = Print(1, kHeader + "\x02" "M01AUA1234HELLO\x03\x7f");

  const std::string expected =
      "HACARS mode: 2  Aircraft reg: .N123AB\n"
      "Message label: H1  Block id: D  Msg. no: M01A Flight id: UA1234\n"
      "Message content:-\n"
      "HELLO\n" +
      kTestClosingLine;
  EXPECT_EQ(text, expected);
  EXPECT_EQ(OstraleLog(), WithCrLf(expected));
  // One flush carries the frame's earlier lines ahead of the message.
  ASSERT_EQ(ui.decodedText.size(), 1u);
  EXPECT_EQ(ui.decodedText[0], "[MPDU line]\r\n" + WithCrLf(expected));
  EXPECT_EQ(block.back(), 0);

  const int index = flights.FlightDbFindByFlightId("UA1234");
  ASSERT_GE(index, 0);
  const auto record = flights.FlightDbRecord(index);
  EXPECT_EQ(record->RegistrationText(), ".N123AB");
  EXPECT_EQ(record->logonKey, kGroundStation * 256 + kAid);
}

TEST_F(HfdlAcarsPrinterTest, UplinkShowsOnlyTextBetweenStxAndEtx) {
  const std::string text = Print(0, kHeader + "\x02" "AB\x03" "CD\x02" "EF\x17" "G\x7f");
  EXPECT_EQ(text,
            "HACARS mode: 2  Aircraft reg: .N123AB\n"
            "Message label: H1  Block id: D  [Uplink]\n"
            "Message content:-\n"
            "AB\nEF\n" +
                kTestClosingLine);
  // Uplinks never reach the database; with "H ACARS" off not the window either.
  EXPECT_EQ(flights.FlightDbFindByRegistration(".N123AB"), -1);
  EXPECT_TRUE(ui.decodedText.empty());
  EXPECT_EQ(OstraleLog(), WithCrLf(text));
}

TEST_F(HfdlAcarsPrinterTest, DownlinkWithoutStxPrintsTheHeaderOnly) {
  const std::string text = Print(1, kHeader + "\x03\x7f");
  EXPECT_EQ(text, "HACARS mode: 2  Aircraft reg: .N123AB\nMessage label: H1  Block id: D  " +
                      kTestClosingLine);
  EXPECT_EQ(flights.FlightDbFindByRegistration(".N123AB"), -1);
}

TEST_F(HfdlAcarsPrinterTest, ShortBlocksPrintWhatIsThere) {
  // Cut inside the flight id: printed as far as it goes, not listed.
  EXPECT_EQ(Print(1, kHeader + "\x02" "M01AUA1\x7f"),
            "HACARS mode: 2  Aircraft reg: .N123AB\nMessage label: H1  Block id: D  "
            "Msg. no: M01A Flight id: UA1\nMessage content:-\n" +
                kTestClosingLine);
  EXPECT_EQ(flights.FlightDbFindByRegistration(".N123AB"), -1);

  EXPECT_EQ(Print(0, "\x01" "2.N1"), "HACARS mode: 2  Aircraft reg: .N\nMessage label:   Block id:   "
                                  "[Uplink]\nMessage content:-\n" +
                                      kTestClosingLine);
  block.clear();
  printer.PrintHfdlAcars(1, kGroundStation, kAid, block);
  EXPECT_EQ(dde.published.back(), "HACARS mode:   Aircraft reg: \nMessage label:   Block id:   " +
                                      kTestClosingLine);
}

}  // namespace
}  // namespace talvir
