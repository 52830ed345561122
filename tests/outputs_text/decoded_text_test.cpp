#include "outputs/decoded_text.h"

#include <gtest/gtest.h>

#include "config/settings.h"
#include "outputs/log_files.h"
#include "support/read_file.h"
#include "support/recording_ui_link.h"
#include "support/temp_dir.h"

namespace talvir::testing {
namespace {

struct TextRig {
  TextRig() {
    settings.Set(&SettingsRecord::hfdlLogging, 0);
    settings.Set(&SettingsRecord::showPreamble, 0);
  }
  RecordingUiLink ui;
  Settings settings;
  DecodedText text{settings, nullptr, ui};
};

std::string Dump(std::span<const uint8_t> bytes) {
  TextRig rig;
  rig.text.HexDump(bytes);
  return std::string(rig.text.Text());
}

// A part line is the LPDU tests', ceil(n / 15) + 1 lines the squitter's.
TEST(DecodedText, HexDumpLayouts) {
  EXPECT_EQ(Dump({}), std::string(15, ' ') + "    \r\n");

  uint8_t fifteen[15];
  for (int i = 0; i < 15; ++i) fifteen[i] = static_cast<uint8_t>('a' + i);
  fifteen[14] = 0xE9;  // beyond ASCII: not a letter
  EXPECT_EQ(Dump(fifteen), "61 62 63 64 65 66 67 68 69 6A 6B 6C 6D 6E E9     a b c d e f g h i j k l m n .\r\n" +
                               std::string(15, ' ') + "    \r\n");
}

// The last guard before the terminal and the logs: whatever reaches the
// buffer, only CR LF line ends and printable ASCII come out of it.
TEST(DecodedText, AppendsPrintfLinesAndThePreambleWithControlBytesNamed) {
  TextRig rig;
  rig.text.AppendLines("a\nb");
  rig.text.Printf("%d-%s", 42, "x");
  rig.text.Printf("c%cd", 0);  // an embedded NUL ends the text
  EXPECT_EQ(rig.text.Text(), "a\r\nb42-xc");
  EXPECT_EQ(rig.text.Length(), 9);

  TextRig controls;
  controls.text.Append("a\x1b[2Jb\r\nc\rd\ne\x9b");
  controls.text.Printf("|%s|", "x\x07\xff");
  controls.text.AppendLines("p\nq\r\x7f");
  EXPECT_EQ(controls.text.Text(), "a<ESC>[2Jb\r\nc<CR>d<LF>e<0x9B>|x<BEL><0xFF>|p\r\nq<CR><DEL>");

  TextRig preamble;
  preamble.text.PrintPreambleLine(true, "TS(2) x ");
  EXPECT_EQ(preamble.text.Length(), 0);
  preamble.settings.Set(&SettingsRecord::showPreamble, 1);
  preamble.text.PrintPreambleLine(true, "TS(2) x ");
  preamble.text.PrintPreambleLine(false, "TS(2) x ");
  EXPECT_EQ(preamble.text.Text(), "[Preamble TS(2) x ][OK]\r\n[Preamble TS(2) x ]\r\n");
}

TEST(DecodedText, OverflowIsCutNeverWrittenPast) {
  TextRig rig;
  const std::string block(4000, 'x');
  rig.text.Append(block);
  rig.text.Printf("%s", block.c_str());
  rig.text.Printf("%s", block.c_str());
  EXPECT_EQ(rig.text.Length(), DecodedText::kCapacity - 1);
  rig.text.Append("more");
  rig.text.AppendLines("\n\n");
  const std::vector<uint8_t> bytes(945, 0x55);
  rig.text.HexDump(bytes);
  EXPECT_EQ(rig.text.Length(), DecodedText::kCapacity - 1);
  EXPECT_EQ(rig.text.Text(), std::string(DecodedText::kCapacity - 1, 'x'));

  // A CR LF pair is not split at the end.
  TextRig almost;
  almost.text.Append(std::string(DecodedText::kCapacity - 2, 'y'));
  almost.text.AppendLines("\n");
  almost.text.Append("\r\n");
  almost.text.Printf("\r\n");
  EXPECT_EQ(almost.text.Length(), DecodedText::kCapacity - 2);
}

TEST(DecodedText, FlushPassesTheTextOnceAndLogsWhileLoggingIsOn) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "logfiles");
  TextRig rig;
  const LogFiles logs(rig.settings, DataPaths{dir.path()});
  DecodedText text(rig.settings, &logs, rig.ui);

  EXPECT_EQ(text.Flush(), 0);  // nothing pending: no window call, no log file
  EXPECT_TRUE(rig.ui.decodedText.empty());

  text.Append("AB\r\n");
  EXPECT_EQ(text.Flush(), 4);
  EXPECT_EQ(text.Flush(), 0);
  ASSERT_EQ(rig.ui.decodedText.size(), 1u);
  EXPECT_EQ(rig.ui.decodedText[0], "AB\r\n");
  EXPECT_FALSE(std::filesystem::exists(logs.HfdlLogPath()));

  rig.settings.Set(&SettingsRecord::hfdlLogging, 1);
  text.Append("C\r\n");
  text.Flush();
  EXPECT_EQ(ReadFile(logs.HfdlLogPath()), "C\r\n");
  EXPECT_EQ(text.Length(), 0);
}

}  // namespace
}  // namespace talvir::testing
