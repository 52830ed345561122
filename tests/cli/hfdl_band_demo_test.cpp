// talvir-signalgen --hfdl-band-demo, the band the window's pictures and the
// README's example decode: every channel heard, each under its own heading.

#include <gtest/gtest.h>

#include "cli/program_run.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

TEST(HfdlBandDemo, EveryChannelDecodesItsOwnStation) {
  testing::TempDir dir;
  const testing::ProgramRun made =
      testing::RunProgram(dir.path(), TALVIR_SIGNALGEN_PATH, "--hfdl-band-demo --quiet --output band.cs16");
  ASSERT_EQ(made.status, 0) << made.err;
  const testing::ProgramRun run = testing::RunProgram(
      dir.path(), TALVIR_CLI_PATH,
      "--input band.cs16 --iq-format cs16 --iq-rate 96000 --freq 8950 --freqs 8912,8942,8977 --show spdu --summary");
  ASSERT_EQ(run.status, 0) << run.err;
  // Each channel's first squitter names its own station under its heading.
  for (const char* heard : {"[8912 kHz]\n[HF GROUND STATION CHANGE -> SHANNON - IRELAND]",
                            "[8942 kHz]\n[HF GROUND STATION CHANGE -> REYKJAVIK - ICELAND]",
                            "[8977 kHz]\n[HF GROUND STATION CHANGE -> RIVERHEAD - NEW YORK]"}) {
    EXPECT_NE(run.out.find(heard), std::string::npos) << heard << "\n" << run.out;
  }
  EXPECT_NE(run.err.find("frames decoded 12, failed 0"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace talvir
