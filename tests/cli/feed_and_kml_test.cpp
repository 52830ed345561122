// The outputs as a listener uses them: KML files from a decode, and
// talvir-dde printing the live feed while talvir-cli plays a recording.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "cli/cli_options.h"
#include "cli/program_run.h"
#include "outputs/publishing/dde_protocol.h"
#include "support/read_file.h"
#include "support/temp_dir.h"
#include "support/well_formed_xml.h"

namespace talvir {
namespace {

using testing::ProgramRun;
using testing::RunProgram;

// A socket listening on a free loopback port; closed with the object.
class BusyPort {
 public:
  BusyPort() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(listen(fd_, 1), 0);
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~BusyPort() { close(fd_); }
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

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
  int port = 0;
  {
    const BusyPort free;
    port = free.port();
  }
  // The client waits for the feed, and ends when it closes.
  ProgramRun client;
  std::thread dde([&] { client = RunProgram(dir.path(), TALVIR_DDE_PATH, "--port " + std::to_string(port)); });
  const ProgramRun decode = RunProgram(
      dir.path(), TALVIR_CLI_PATH, "--input x.wav --channel-b vhf --realtime --dde-port " + std::to_string(port));
  dde.join();
  ASSERT_EQ(decode.status, 0) << decode.err;
  EXPECT_EQ(client.status, 0) << client.err;
  EXPECT_NE(client.out.find("SU0219,,,063118,31,41,2,E,56,21,3,N;\n"), std::string::npos) << client.out;
  EXPECT_NE(client.out.find("Flight id: QF0039\nMessage content:-\n"), std::string::npos) << client.out;
  EXPECT_NE(client.out.find("POS N51123W001234,12345,350\n"), std::string::npos) << client.out;
  EXPECT_NE(client.err.find("the live feed closed"), std::string::npos) << client.err;
}

// Live audio gets the feed on its default port; a file decoded at full speed
// only when asked.
TEST(FeedProgramTest, WhereTheFeedListens) {
  auto port = [](std::vector<std::string_view> args) { return ParseCliOptions(args).options.FeedPort(); };
  EXPECT_EQ(port({}), kDefaultDdePort);
  EXPECT_EQ(port({"--input", "-"}), kDefaultDdePort);
  EXPECT_EQ(port({"--input", "x.wav", "--realtime"}), kDefaultDdePort);
  EXPECT_EQ(port({"--input", "x.wav"}), std::nullopt);
  EXPECT_EQ(port({"--input", "x.wav", "--dde-port=9000"}), 9000);
  EXPECT_EQ(port({"--dde-port", "9000", "--dde-port", "off"}), std::nullopt);
}

TEST(FeedProgramTest, APortInUseIsSaidAndTheDecodeGoesOn) {
  testing::TempDir dir;
  const BusyPort busy;
  const std::string input = "--input '" + std::string(TALVIR_DEMO_WAV) + "' --channel-a none --dde-port ";
  const ProgramRun run = RunProgram(dir.path(), TALVIR_CLI_PATH, input + std::to_string(busy.port()));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "talvir-cli: no live feed: cannot listen on 127.0.0.1 port " + std::to_string(busy.port()) +
                         ": the port is in use (--dde-port picks another port, --dde-port off runs without)\n");
  const ProgramRun bad = RunProgram(dir.path(), TALVIR_CLI_PATH, input + "99999");
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.err, "talvir-cli: --dde-port: '99999' is not a port number (1 to 65535) or off (see --help)\n");
}

}  // namespace
}  // namespace talvir
