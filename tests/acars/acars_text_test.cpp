#include "acars/acars_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace talvir {
namespace {

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(RenderControlCharacters, NamesEveryControlCharacterAndKeepsPrintablesWithoutParity) {
  std::vector<uint8_t> all;
  for (int c = 0; c < 128; ++c) all.push_back(static_cast<uint8_t>(c));
  std::string expected =
      "<NUL><SOH><STX><ETX><EOT><ENQ><ACK><BEL><BS><HT>\n<VT><FF>\r<SO><SI>"
      "<DLE><DC1><DC2><DC3><DC4><NAK><SYN><ETB><CAN><EM><SUB><ESC><FS><GS><RS><US>";
  for (int c = 32; c < 127; ++c) expected.push_back(static_cast<char>(c));
  expected += "<DEL>\r\n";
  EXPECT_EQ(RenderControlCharacters(all), expected);
  // The parity bit is cleared first.
  const std::vector<uint8_t> withParity = {0x82, 0xC1, 0x83, 0x80, 0xFF};
  EXPECT_EQ(RenderControlCharacters(withParity), "<STX>A<ETX><NUL><DEL>\r\n");
  EXPECT_EQ(RenderControlCharacters({}), "\r\n");
}

TEST(AcarsTextRule, EtxHidesUntilTheNextStx) {
  std::string text;
  AppendAcarsTextRule(text, Bytes("hidden\x02shown\x03gone\x02" "again\x17tail"), false);
  EXPECT_EQ(text, "shown\nagain\n");

  text.clear();
  AppendAcarsTextRule(text, Bytes("open text without end"), true);
  EXPECT_EQ(text, "open text without end");
}

TEST(AcarsCharacters, StopAtTheBlockEndAndSkipNul) {
  std::string text;
  const std::vector<uint8_t> block = {'A' | 0x80, 0, 'B', 'C'};
  AppendAcarsCharacters(text, block, 0, 10);
  EXPECT_EQ(text, "ABC");
  text.clear();
  AppendAcarsCharacters(text, block, 5, 10);
  EXPECT_EQ(text, "");
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
