#include "cli/console_ui_link.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace talvir {
namespace {

std::string Contents(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
  return text;
}

class ConsoleUiLinkTest : public ::testing::Test {
 protected:
  ~ConsoleUiLinkTest() override {
    std::fclose(out);
    std::fclose(err);
  }
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
};

TEST_F(ConsoleUiLinkTest, DecodedTextComesOutInOrderWithUnixLineEnds) {
  ConsoleUiLink console(out, err, false);
  console.AppendDecodedText("first\r\nsecond\r");
  console.AppendDecodedText("\nbare\rcarriage\r\n");
  console.AppendDecodedText("x\r");
  console.AppendDecodedText("y");
  EXPECT_EQ(Contents(out), "first\nsecond\nbare\rcarriage\nx\ry");
}

TEST_F(ConsoleUiLinkTest, StatusLinesOnlyWhenAskedFor) {
  {
    ConsoleUiLink quiet(out, err, false);
    UiLinkRelay relay;
    const ScopedUiLink attached(relay, quiet);
    relay.SetModemStatus(0, kListeningText);
    relay.SetSquitterLine(0, "squitter");
    EXPECT_EQ(relay.FlightListInsert("AB123"), 0);
  }
  EXPECT_EQ(Contents(err), "");

  ConsoleUiLink verbose(out, err, true);
  UiLinkRelay relay;
  const ScopedUiLink attached(relay, verbose);
  relay.SetModemStatus(0, kListeningText);
  EXPECT_EQ(relay.FlightListInsert("AB123"), 0);
  EXPECT_EQ(relay.FlightListInsert(""), -1) << "an empty line is never listed";
  EXPECT_EQ(relay.FlightListInsert("CD456"), 1);
  relay.FlightListClear();
  EXPECT_EQ(relay.FlightListInsert("EF789"), 0) << "positions restart after a clear";
  relay.SetFlightDetails("details");
  EXPECT_EQ(Contents(err),
            "modem: Listening\nflight: AB123\nflight: CD456\nflight: (list cleared)\nflight: EF789\n"
            "details: details\n");
  EXPECT_EQ(Contents(out), "") << "status never mixes into the decoded text";
}

TEST_F(ConsoleUiLinkTest, NamedChannelsAreToldApartAndADetachedRelayIsSilent) {
  ConsoleUiLink console(out, err, true);
  console.NameHfChannels({"A", "B"});
  UiLinkRelay relay;
  {
    const ScopedUiLink attached(relay, console);
    relay.SetModemStatus(0, kListeningText);
    relay.SetSquitterLine(1, "GND 3");
  }
  relay.SetModemStatus(1, "after the front end left");
  EXPECT_EQ(relay.FlightListInsert("AB123"), -1);
  EXPECT_EQ(Contents(err), "modem A: Listening\nsquitter B: GND 3\n");
}

}  // namespace
}  // namespace talvir
