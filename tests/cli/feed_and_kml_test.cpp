// The outputs as a listener uses them: KML files from a decode, and
// talvir-dde printing the live feed while talvir-cli plays a recording.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "cli/program_run.h"
#include "support/loopback_listeners.h"
#include "support/temp_dir.h"
#include "support/well_formed_xml.h"

namespace talvir {
namespace {

using testing::ProgramRun;
using testing::RunProgram;

// Stations from the system table the demo carries, the heard one with its
// frequencies; aircraft with their tracks. The decoded text stays as it is
// without --kml.
TEST(KmlProgramTest, TheDemoWritesFilesAnXmlParserReads) {
  testing::TempDir dir;
  const std::string demo = "--input '" + std::string(TALVIR_DEMO_WAV) + "' --channel-b vhf";
  const ProgramRun plain = RunProgram(dir.path(), TALVIR_CLI_PATH, demo);
  const ProgramRun withKml = RunProgram(dir.path(), TALVIR_CLI_PATH, demo + " --kml");
  ASSERT_EQ(withKml.status, 0) << withKml.err;
  EXPECT_EQ(withKml, plain);

  const std::string aircraft = testing::ReadFile(dir.path() / "aircraft.kml");
  const std::string stations = testing::ReadFile(dir.path() / "groundstation.kml");
  EXPECT_TRUE(testing::WellFormedXml(aircraft)) << aircraft;
  EXPECT_TRUE(testing::WellFormedXml(stations)) << stations;
  for (const char* flight : {"AC0850", "BA0117", "EI0105", "UA0930"}) {
    EXPECT_NE(aircraft.find(std::string("<name>") + flight + "</name>\r\n<description>Aircraft Track"),
              std::string::npos)
        << flight;
  }
  EXPECT_NE(stations.find("GS(1)\r\n</name>\r\n<description>\r\nSAN FRANCISCO - CALIFORNIA"), std::string::npos);
  EXPECT_NE(stations.find("SHANNON - IRELAND"), std::string::npos);
  EXPECT_NE(stations.find(" KHz<br />"), std::string::npos) << stations;
}

TEST(FeedProgramTest, TalvirDdePrintsPositionsAndAcarsWhileTheRecordingPlays) {
  testing::TempDir dir;
  ASSERT_EQ(RunProgram(dir.path(), TALVIR_SIGNALGEN_PATH,
                       "--scenario '" TALVIR_SOURCE_DIR "/testbench/signalgen/example-scenario.json' --quiet "
                       "--output x.wav")
                .status,
            0);
  const int port = testing::DeadPort();
  // The client waits for the feed, and ends when it closes.
  ProgramRun client;
  std::thread dde([&] { client = RunProgram(dir.path(), TALVIR_DDE_PATH, "--port " + std::to_string(port)); });
  const ProgramRun decode = RunProgram(dir.path(), TALVIR_CLI_PATH,
                                       "--input x.wav --channel-b vhf --realtime --dde-port " + std::to_string(port));
  dde.join();
  ASSERT_EQ(decode.status, 0) << decode.err;
  EXPECT_EQ(client.status, 0) << client.err;
  EXPECT_NE(client.out.find("SU0219,,,063118,31,41,2,E,56,21,3,N;\n"), std::string::npos) << client.out;
  EXPECT_NE(client.out.find("Flight id: QF0039\nMessage content:-\n"), std::string::npos) << client.out;
  EXPECT_NE(client.out.find("POS N51123W001234,12345,350\n"), std::string::npos) << client.out;
  EXPECT_NE(client.err.find("the live feed closed"), std::string::npos) << client.err;
}

TEST(FeedProgramTest, APortInUseIsSaidAndTheDecodeGoesOn) {
  testing::TempDir dir;
  int busy = 0;
  const int listening = testing::BoundSocket(SOCK_STREAM, busy);
  ASSERT_EQ(listen(listening, 1), 0);
  const std::string input = "--input '" + std::string(TALVIR_DEMO_WAV) + "' --channel-a none --dde-port ";
  const ProgramRun run = RunProgram(dir.path(), TALVIR_CLI_PATH, input + std::to_string(busy));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "talvir-cli: no live feed: cannot listen on 127.0.0.1 port " + std::to_string(busy) +
                         ": the port is in use (--dde-port picks another port, --dde-port off runs without)\n");
  const ProgramRun bad = RunProgram(dir.path(), TALVIR_CLI_PATH, input + "99999");
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, "talvir-cli: --dde-port: '99999' is not a port number (1 to 65535) or off (see --help)\n");
  close(listening);
}

}  // namespace
}  // namespace talvir
