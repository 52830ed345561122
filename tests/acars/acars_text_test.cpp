#include "acars/acars_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace talvir {
namespace {

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(RenderControlCharacters, NamesControlsKeepsLineBreaksAndEndsTheLine) {
  EXPECT_EQ(RenderControlCharacters(Bytes("\x01" "2.N1\x15" "H1D\x02" "A\r\nB\rC\x1b\x03\x7f")),
            "<SOH>2.N1<NAK>H1D<STX>A\nB\nC<ESC><ETX><DEL>\n");
  EXPECT_EQ(RenderControlCharacters({}), "\n");
}

TEST(AcarsTextRule, EtxHidesUntilTheNextStx) {
  std::string text;
  AppendAcarsTextRule(text, Bytes("hidden\x02shown\x03gone\x02" "again\x17tail"), false);
  EXPECT_EQ(text, "shown\nagain\n");

  text.clear();
  AppendAcarsTextRule(text, Bytes("open text without end"), true);
  EXPECT_EQ(text, "open text without end");

  // Received line breaks stay line breaks; other control bytes are named.
  text.clear();
  AppendAcarsTextRule(text, Bytes("A\r\nB\rC\nD\x1b[2J\x7f\x03\x1b"), true);
  EXPECT_EQ(text, "A\nB\nC\nD<ESC>[2J<DEL>\n");
}

TEST(AcarsField, NamesEveryControlByteAndStopsAtTheBlockEnd) {
  std::string text;
  AppendAcarsField(text, Bytes(std::string("A\0\r\nB", 5)), 0, 10);
  EXPECT_EQ(text, "A<NUL><CR><LF>B");
  text.clear();
  AppendAcarsField(text, Bytes("AB"), 5, 10);
  EXPECT_EQ(text, "");
}

TEST(HfdlAcarsCharacters, DropTheCheckBytesAndDel) {
  const auto block = Bytes("\x01" "2X\x03" "AB\x7f");
  EXPECT_EQ(HfdlAcarsCharacters(block).size(), 4u);
  EXPECT_TRUE(HfdlAcarsCharacters(Bytes("AB")).empty());
}

TEST(AcarsClosingLine, SeparatorThenLocalDateAndTime) {
  setenv("TZ", "UTC", 1);
  tzset();
  std::string text = "x";
  AppendAcarsClosingLine(text, 1772884800 + 3 * 60);  // 2026-03-07 12:03 UTC
  EXPECT_EQ(text, "x" + std::string(58, '-') + "[07/03/2026 12:03]\n");
  unsetenv("TZ");
  tzset();
}

}  // namespace
}  // namespace talvir
