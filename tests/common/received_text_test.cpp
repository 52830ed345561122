// Received bytes: the check sums over them, and the text they are shown as.

#include "common/received_text.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string_view>
#include <vector>

#include "common/crc16.h"

namespace talvir {
namespace {

TEST(Crc16, CheckValuesAndTheFcsReadLowByteFirstNeverPastTheFrame) {
  const std::string_view digits = "123456789";
  std::vector<uint8_t> frame(digits.begin(), digits.end());
  EXPECT_EQ(HfdlFcs(frame), 0x906E);
  EXPECT_EQ(AcarsBcs(frame), 0x2189);
  frame.insert(frame.end(), {0x6E, 0x90});
  EXPECT_TRUE(HfdlCrcCheck(frame, 9));
  frame[3] ^= 0x01;
  EXPECT_FALSE(HfdlCrcCheck(frame, 9));

  const std::array<uint8_t, 3> shortFrame{0x31, 0x32, 0x33};
  EXPECT_FALSE(HfdlCrcCheck(shortFrame, 2));
  EXPECT_FALSE(HfdlCrcCheck(shortFrame, 100));
  // n <= 0 compares the stored value with zero.
  const std::array<uint8_t, 2> zero{0, 0};
  EXPECT_TRUE(HfdlCrcCheck(zero, 0));
  EXPECT_TRUE(HfdlCrcCheck(zero, -3));
}

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

// The name every byte must get, written out independently of the table.
std::string ExpectedName(int byte) {
  static const char* const kControls[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
                                          "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
                                          "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
  if (byte < 32) return std::string("<") + kControls[byte] + ">";
  if (byte == 0x7F) return "<DEL>";
  if (byte < 0x7F) return std::string(1, static_cast<char>(byte));
  char hex[8];
  std::snprintf(hex, sizeof hex, "<0x%02X>", byte);
  return hex;
}

TEST(ReceivedText, EveryByteIsItselfOrItsName) {
  std::vector<uint8_t> all;
  std::string expected;
  for (int byte = 0; byte < 256; ++byte) {
    all.push_back(static_cast<uint8_t>(byte));
    expected += ExpectedName(byte);
    EXPECT_EQ(IsPrintableAscii(static_cast<uint8_t>(byte)), ExpectedName(byte).size() == 1) << byte;
  }
  EXPECT_EQ(RenderReceivedText(all), expected);
  EXPECT_EQ(RenderReceivedText({}), "");
}

TEST(ReceivedText, LineBreaksByMode) {
  const auto bytes = Bytes("a\r\nb\nc\rd\n\re\x1b");
  EXPECT_EQ(RenderReceivedText(bytes, LineBreaks::kNamed), "a<CR><LF>b<LF>c<CR>d<LF><CR>e<ESC>");
  // Each received break is one line end, whatever its form; LF CR is two.
  EXPECT_EQ(RenderReceivedText(bytes, LineBreaks::kReceived), "a\nb\nc\nd\n\ne<ESC>");
  EXPECT_EQ(RenderReceivedText(bytes, LineBreaks::kCrLfOnly), "a\r\nb<LF>c<CR>d<LF><CR>e<ESC>");
  // A CR at the very end has no LF to pair with.
  EXPECT_EQ(RenderReceivedText(Bytes("x\r"), LineBreaks::kCrLfOnly), "x<CR>");
  EXPECT_EQ(RenderReceivedText(Bytes("x\r"), LineBreaks::kReceived), "x\n");
}

}  // namespace
}  // namespace talvir
