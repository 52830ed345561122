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
  const ScopedUiLink registration(console);
  AppendDecodedText("first\r\nsecond\r");
  AppendDecodedText("\nbare\rcarriage\r\n");
  AppendDecodedText("x\r");
  AppendDecodedText("y");
  EXPECT_EQ(Contents(out), "first\nsecond\nbare\rcarriage\nx\ry");
}

TEST_F(ConsoleUiLinkTest, StatusLinesOnlyWhenAskedFor) {
  {
    ConsoleUiLink quiet(out, err, false);
    const ScopedUiLink registration(quiet);
    UiSetListening();
    UiSetSquitterLine("squitter");
    EXPECT_EQ(UiFlightListInsert("AB123"), 0);
  }
  EXPECT_EQ(Contents(err), "");

  ConsoleUiLink verbose(out, err, true);
  const ScopedUiLink registration(verbose);
  UiSetListening();
  EXPECT_EQ(UiFlightListInsert("AB123"), 0);
  EXPECT_EQ(UiFlightListInsert("CD456"), 1);
  UiFlightListClear();
  EXPECT_EQ(UiFlightListInsert("EF789"), 0) << "positions restart after a clear";
  UiSetFlightDetails("details");
  EXPECT_EQ(Contents(err),
            "modem: Listening\nflight: AB123\nflight: CD456\nflight: (list cleared)\nflight: EF789\n"
            "details: details\n");
  EXPECT_EQ(Contents(out), "") << "status never mixes into the decoded text";
}

}  // namespace
}  // namespace talvir
