// The built talvir-cli run as a user runs it: files, pipes, UDP and bad
// input; the demo decoded the same on every run, stamped with the
// recording's own time; and its outputs, the KML files and talvir-dde
// printing the live feed.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <utime.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <numbers>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "audio/capture_sources.h"
#include "audio/input_source.h"
#include "audio/sdr_device.h"
#include "support/loopback_listeners.h"
#include "support/program_run.h"
#include "support/temp_dir.h"
#include "support/well_formed_xml.h"

namespace talvir {
namespace {

using CliRun = testing::ProgramRun;
using testing::ReadFile;
using testing::RunProgram;

class CliProgramTest : public ::testing::Test {
 protected:
  CliRun Cli(const std::string& args, const std::string& stdinFile = "/dev/null") {
    return RunProgram(dir.path(), TALVIR_CLI_PATH, args, stdinFile);
  }
  CliRun Decode(const std::string& args, const std::filesystem::path& demo = TALVIR_DEMO_WAV) {
    return Cli("--input '" + demo.string() + "' " + args);
  }
  void WriteWav(const char* name, int rate, std::size_t frames) {
    std::vector<int16_t> samples(2 * frames);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i * 37);
    testing::WriteSoundFile(dir.path() / name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 2, samples);
  }

  testing::TempDir dir;
};

TEST_F(CliProgramTest, DecodesAStereoFileAndAPipeToTheirEndAndNeverRewritesTheSettings) {
  std::filesystem::create_directories(dir.path() / "cfg" / "configs");
  const auto ini = dir.path() / "cfg" / "configs" / "talvir.ini";
  std::ofstream(ini, std::ios::binary) << std::string(356, '\0');
  WriteWav("x.wav", 48000, 2 * 2500 + 1);
  const CliRun run = Cli("--input x.wav --config-dir cfg --channel-a hf --channel-b vhf --show all --verbose-status");
  EXPECT_EQ(run.status, 0) << run.err;
  // The file's 5001 frames, not the padding and flush silence after them.
  EXPECT_NE(run.err.find("end of input: 0.10 s of audio decoded"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("summary: HFDL bursts heard 0"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFile(ini), std::string(356, '\0')) << "read with --show all on top, never rewritten";

  // Raw PCM from stdin: 10000 frames.
  const auto raw = dir.path() / "raw.pcm";
  std::ofstream(raw, std::ios::binary) << std::string(4 * 2500 * 4, '\x01');
  const CliRun piped = Cli("--input - --verbose-status", raw.string());
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_NE(piped.err.find("end of input: 0.21 s of audio decoded"), std::string::npos) << piped.err;
}

TEST_F(CliProgramTest, BadInputGivesOneErrorLineAndStatusTwo) {
  WriteWav("slow.wav", 44100, 100);
  std::ofstream(dir.path() / "notes.txt") << "this is not audio\n";
  // With no receiver (and here perhaps no SoapySDR module at all) the
  // program says so as for any unusable input.
  const char* const noSdr = SdrDevicesSupported() ? "talvir-cli: no SDR device matches soapy:driver=nosuchradio"
                                                  : "talvir-cli: this build of TALVIR has no SDR device support";
  // Each case with a word of the message that says what to do.
  const std::pair<const char*, const char*> cases[] = {
      {"--input slow.wav --iq --iq-dial 30000", "upper sideband"},
      {"--input raw.cs16 --iq-format cs16", "--iq-rate"},
      {"--input udp:99999", "udp:PORT"},
      {"--input missing.wav", "no such file"},
      {"--input notes.txt", "--input - <"},
      {"--device 'No Such Card'", "--list-devices"},
      {"--channel-a uhf", "hf, vhf or none"},
      {"--show everything", "the items are preamble"},
      {"--bogus", "unknown option '--bogus'"},
      {"stray.wav", "goes after --input"},
      {"--input a.wav --input b.wav", "given twice"},
      {"--input x.wav --config-dir nowhere", "does not exist"},
      {"--input x.wav --start-time 2026-02-30T00:00:00Z", "not a UTC time"},
      {"--input x.wav --dde-port 99999", "--dde-port: '99999' is not a port number (1 to 65535) or off"},
      {"--device soapy:driver=nosuchradio --freq 8935", noSdr},
      {"--device soapy:driver=nosuchradio --freq 8935 --freqs 8927,8942", noSdr},
      {"--device soapy:driver=nosuchradio --freq 131000 --acars-freqs 131.525", noSdr},
  };
  for (const auto& [args, advice] : cases) {
    SCOPED_TRACE(args);
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(testing::LineCount(run.err), 1U) << run.err;
    EXPECT_TRUE(run.err.starts_with("talvir-cli: ")) << run.err;
    EXPECT_NE(run.err.find(advice), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

// Raw I/Q through a pipe, as an SDR program writes it: the demo's HF channel
// shifted up by 6 kHz, the dial there, 8 bits unsigned at 48000 samples/s.
// The upper sideband is the audio again and decodes to the same frames.
TEST_F(CliProgramTest, RawIqThroughAPipeDecodesTheFramesOfTheAudio) {
  constexpr int kDialHz = 6000;
  std::string error;
  auto demo = OpenInputSource({.path = TALVIR_DEMO_WAV}, error);
  ASSERT_TRUE(demo) << error;
  const std::vector<float> hf = testing::ChannelOf(testing::ReadAllSamples(*demo->reader), 0);
  std::vector<std::complex<double>> iq(hf.size());
  for (std::size_t n = 0; n < hf.size(); ++n) {
    const double turn = 2.0 * std::numbers::pi * kDialHz * static_cast<double>(n % kSampleRate) / kSampleRate;
    iq[n] = static_cast<double>(hf[n]) * std::complex<double>(std::cos(turn), std::sin(turn));
  }
  testing::WriteIq(dir.path() / "demo.cu8", iq, testing::IqForm::kCu8);
  // Stamped alike; the default selection has no burst figures, which the
  // I/Q path's filters move.
  const std::string common = " --channel-a hf --channel-b none --start-time 2026-12-07T11:00:00Z";
  const CliRun audio = Cli(std::string("--input '") + TALVIR_DEMO_WAV + "'" + common);
  ASSERT_EQ(audio.status, 0) << audio.err;
  ASSERT_NE(audio.out.find("[HFNPDU PERFORMANCE]"), std::string::npos) << audio.out;
  const CliRun piped = RunProgram(dir.path(), "/bin/sh",
                                  "-c 'cat demo.cu8 | \"" + std::string(TALVIR_CLI_PATH) +
                                      "\" --input - --iq-format cu8 --iq-rate 48000 --iq-dial " +
                                      std::to_string(kDialHz) + common + "'");
  ASSERT_EQ(piped.status, 0) << piped.err;
  // The I/Q path's filters delay each frame by a few milliseconds, which may
  // carry its stamp into the next second.
  const auto frames = [](const std::string& text) {
    return std::regex_replace(text, std::regex("[0-9]{2}:[0-9]{2}:[0-9]{2}"), "hh:mm:ss");
  };
  EXPECT_EQ(frames(piped.out), frames(audio.out));
}

// A receiver's audio sent over UDP decodes as it arrives, a pause in it is
// silence, and Ctrl-C ends it as it ends sound-card capture.
TEST_F(CliProgramTest, UdpAudioDecodesUntilInterrupted) {
  int free = 0;
  close(testing::BoundSocket(SOCK_DGRAM, free));  // the port the program listens on
  const std::string port = std::to_string(free);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string command = "cd '" + dir.path().string() +
                                "' && TZ=UTC exec '" TALVIR_CLI_PATH "' --input udp:" + port +
                                " --dde-port off --verbose-status >out.txt 2>err.txt";
    execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
    _exit(127);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  // The demo's first 55 s of HF (left), which end with a squitter and a
  // logon, as mono at eight times real time; then a pause.
  SF_INFO info{};
  SNDFILE* demo = sf_open(TALVIR_DEMO_WAV, SFM_READ, &info);
  ASSERT_NE(demo, nullptr);
  {
    testing::UdpSender sender(free);
    std::vector<int16_t> stereo(2 * 4800);
    std::vector<int16_t> mono(4800);
    for (int chunk = 0; chunk < 550; ++chunk) {
      sf_readf_short(demo, stereo.data(), 4800);
      for (std::size_t k = 0; k < mono.size(); ++k) mono[k] = stereo[2 * k];
      sender.Send(mono);
      std::this_thread::sleep_for(std::chrono::microseconds(12500));
    }
  }
  sf_close(demo);
  std::this_thread::sleep_for(std::chrono::seconds(3));
  kill(child, SIGINT);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  const std::string out = ReadFile(dir.path() / "out.txt");
  const std::string err = ReadFile(dir.path() / "err.txt");
  EXPECT_NE(err.find("input: UDP audio on 127.0.0.1 port " + port + ", mono"), std::string::npos) << err;
  EXPECT_NE(out.find("GND 10:59:48 UTC SHANNON - IRELAND"), std::string::npos) << out << err;
  // Live input runs its clock on the wall clock, here slower than the audio.
  EXPECT_NE(out.find(" AIR LOGON SLOT 1 300 BPS ]"), std::string::npos) << out << err;
}

TEST_F(CliProgramTest, SettingsAreSavedFromTheFlagsAndPrintedByName) {
  std::filesystem::create_directories(dir.path() / "cfg");
  const CliRun saved =
      Cli("--config-dir cfg --channel-a vhf --channel-b hf --show vacars,hacars --logs --save-settings");
  EXPECT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(std::filesystem::file_size(dir.path() / "cfg" / "configs" / "talvir.ini"), 356U);

  const CliRun printed = Cli("--config-dir cfg --print-settings");
  EXPECT_EQ(printed.status, 0) << printed.err;
  for (const char* line : {"channelAMode = 1 (vhf)\n", "channelBMode = 2 (hf)\n", "showVAcars = 1\n",
                           "showHAcars = 1\n", "showMpdu = 0\n", "hfdlLogging = 1\n", "ostraleLogging = 1\n",
                           "settingsLoaded = 1\n", "hfdlDdeService = \"TALVIR\"\n", "aircraftTimeoutMinutes = 30\n"}) {
    EXPECT_NE(printed.out.find(line), std::string::npos) << line << printed.out;
  }
  EXPECT_EQ(testing::LineCount(printed.out), 31U) << "every field but the padding";
  // A flag on the same line shows in the print but is not saved.
  EXPECT_NE(Cli("--config-dir cfg --channel-a none --print-settings").out.find("channelAMode = 0 (none)"),
            std::string::npos);
  EXPECT_NE(Cli("--config-dir cfg --print-settings").out.find("channelAMode = 1 (vhf)"), std::string::npos);
  EXPECT_EQ(Cli("--input x.wav --save-settings").status, 2) << "saving does not decode";
}

TEST_F(CliProgramTest, HelpVersionAndDeviceListWorkWithoutASoundCard) {
  const CliRun help = Cli("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--input", "udp:PORT", "--iq-format", "--iq-dial", "--freq", "--device", "--list-devices",
                             "--channel-a", "--channel-b", "--show", "--realtime", "--config-dir", "--logs",
                             "--verbose-status", "--version", "never writes the settings file"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  // Both programs name the same version and commit.
  const CliRun version = Cli("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("talvir-cli 0.")) << version.out;
  EXPECT_NE(version.out.find(" ("), std::string::npos) << version.out;
  const CliRun signalgen = RunProgram(dir.path(), TALVIR_SIGNALGEN_PATH, "--version");
  EXPECT_EQ(signalgen.status, 0);
  EXPECT_EQ("talvir-signalgen" + signalgen.out.substr(signalgen.out.find(' ')),
            "talvir-signalgen" + version.out.substr(version.out.find(' ')));
  const CliRun list = Cli("--list-devices");
  EXPECT_EQ(list.status, 0);
  EXPECT_TRUE(list.out.starts_with("No capture devices found.") || list.out.starts_with("Capture devices"));
  EXPECT_EQ(list.err, "") << "the sound back ends' probing stays quiet";
  if (list.out.starts_with("No capture devices found.")) {
    const CliRun capture = Cli("");
    EXPECT_EQ(capture.status, 2);
    EXPECT_TRUE(capture.err.starts_with("talvir-cli: no sound card to capture from")) << capture.err;
    EXPECT_NE(capture.err.find("--input FILE"), std::string::npos) << capture.err;
  }
}

// Catches timers and stamps that follow the wall clock or a second thread:
// the UTC clock's tick racing the decoder moved MPDU times by a second.
TEST_F(CliProgramTest, FiveRunsUnderLoadGiveTheSameBytes) {
  std::atomic<bool> stop{false};
  std::vector<std::thread> busy;
  for (unsigned i = 0; i < std::max(2U, std::thread::hardware_concurrency()); ++i) {
    busy.emplace_back([&stop] {
      volatile uint64_t spin = 0;
      while (!stop.load(std::memory_order_relaxed)) spin = spin + 1;
    });
  }
  const std::string args = "--channel-b vhf --show all --verbose-status --start-time 2026-12-07T10:59:00Z";
  std::vector<CliRun> runs;
  for (int run = 0; run < 5; ++run) runs.push_back(Decode(args));
  stop = true;
  for (std::thread& thread : busy) thread.join();

  ASSERT_EQ(runs[0].status, 0) << runs[0].err;
  EXPECT_NE(runs[0].out.find("[MPDU 10:59:52 GND SLOT 2 1200 BPS ]"), std::string::npos);
  EXPECT_NE(runs[0].out.find("[07/12/2026 11:00]"), std::string::npos) << "stamped from --start-time";
  EXPECT_NE(runs[0].err.find("summary: HFDL bursts heard 32: frames decoded 32, failed 0"), std::string::npos)
      << runs[0].err;
  for (int run = 1; run < 5; ++run) EXPECT_EQ(runs[static_cast<std::size_t>(run)], runs[0]) << "run " << run;
}

TEST_F(CliProgramTest, WithoutAStartTimeTheFileDateAndTheSquitterTimeStampIt) {
  // Changed at 2025-06-01 12:00:00 UTC: begun 97 s earlier, on that date.
  const auto demo = dir.path() / "demo.wav";
  std::filesystem::copy_file(TALVIR_DEMO_WAV, demo);
  const utimbuf times{1748779200, 1748779200};
  ASSERT_EQ(utime(demo.c_str(), &times), 0);
  const CliRun run = Decode("--channel-b vhf", demo);
  ASSERT_EQ(run.status, 0) << run.err;
  // The first squitter reads 10:59:48: its time of day, the file's date.
  const std::size_t first = run.out.find("[01/06/2025 10:59]");
  EXPECT_NE(first, std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("[01/06/2025 11:5"), std::string::npos) << "no stamp left on the modification time";
  EXPECT_NE(run.out.find("[01/06/2025 11:00]"), std::string::npos) << "and the stamps move with the audio";
}

// What a new listener sees first: the decoded traffic without the raw detail,
// then what the decode found. The demo's uplinks carry DEL in their labels:
// neither the terminal nor the logs get it raw.
TEST_F(CliProgramTest, TheDefaultSelectionTheSummaryAndKmlFilesAnXmlParserReads) {
  const CliRun run = Decode("--channel-b vhf --summary --logs --kml");
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> texts = {run.out};
  for (const auto& log : std::filesystem::directory_iterator(dir.path() / "logfiles")) {
    texts.push_back(testing::ReadFile(log.path()));
  }
  ASSERT_EQ(texts.size(), 3U) << "stdout, the HFDL log and the Ostrale log";
  for (const std::string& text : texts) {
    EXPECT_NE(text.find("_<DEL>"), std::string::npos);
    EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) {
      const auto b = static_cast<uint8_t>(c);
      return (b >= 0x20 && b < 0x7F) || b == '\r' || b == '\n';
    })) << text.substr(0, 300);
  }
  EXPECT_EQ(run.out.find("[Preamble"), std::string::npos);
  EXPECT_NE(run.out.find("[MPDU "), std::string::npos);
  EXPECT_NE(run.out.find("VACARS mode: "), std::string::npos);
  EXPECT_TRUE(run.err.starts_with("end of input: 97.39 s of audio decoded\nsummary: HFDL bursts heard 32")) << run.err;
  EXPECT_NE(run.err.find("squitters 3 (failed 0), ACARS messages 22, aircraft 10"), std::string::npos) << run.err;

  // Stations from the system table the demo carries, the heard one with its
  // frequencies; aircraft with their tracks. The decoded text stays as it
  // is without --kml.
  EXPECT_EQ(run.out, Decode("--channel-b vhf").out);
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

TEST_F(CliProgramTest, TalvirDdePrintsPositionsAndAcarsWhileTheRecordingPlays) {
  ASSERT_EQ(RunProgram(dir.path(), TALVIR_SIGNALGEN_PATH,
                       "--scenario '" TALVIR_SOURCE_DIR "/testbench/signalgen/example-scenario.json' --quiet "
                       "--output x.wav")
                .status,
            0);
  const int port = testing::DeadPort();
  // The client waits for the feed, and ends when it closes.
  CliRun client;
  std::thread dde([&] { client = RunProgram(dir.path(), TALVIR_DDE_PATH, "--port " + std::to_string(port)); });
  const CliRun decode = Cli("--input x.wav --channel-b vhf --realtime --dde-port " + std::to_string(port));
  dde.join();
  ASSERT_EQ(decode.status, 0) << decode.err;
  EXPECT_EQ(client.status, 0) << client.err;
  EXPECT_NE(client.out.find("SU0219,,,063118,31,41,2,E,56,21,3,N;\n"), std::string::npos) << client.out;
  EXPECT_NE(client.out.find("Flight id: QF0039\nMessage content:-\n"), std::string::npos) << client.out;
  EXPECT_NE(client.out.find("POS N51123W001234,12345,350\n"), std::string::npos) << client.out;
  EXPECT_NE(client.err.find("the live feed closed"), std::string::npos) << client.err;
}

// A mono file with channel A off, and a feed port in use: said once, in
// one line, and the decode goes on.
TEST_F(CliProgramTest, WhatCannotWorkIsSaidOnceAndTheDecodeGoesOn) {
  std::vector<int16_t> samples(3 * 2500, 100);
  testing::WriteSoundFile(dir.path() / "mono.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1, samples);
  const CliRun mono = Cli("--input mono.wav --channel-a none --channel-b vhf");
  EXPECT_EQ(mono.status, 0);
  EXPECT_EQ(testing::LineCount(mono.err), 1U) << mono.err;
  EXPECT_NE(mono.err.find("mono.wav is mono"), std::string::npos) << mono.err;
  EXPECT_EQ(Cli("--input mono.wav").err, "") << "channel A decodes: nothing to say";

  int busy = 0;
  const int listening = testing::BoundSocket(SOCK_STREAM, busy);
  ASSERT_EQ(listen(listening, 1), 0);
  const CliRun run = Decode("--channel-a none --dde-port " + std::to_string(busy));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "talvir-cli: no live feed: cannot listen on 127.0.0.1 port " + std::to_string(busy) +
                         ": the port is in use (--dde-port picks another port, --dde-port off runs without)\n");
  close(listening);
}

}  // namespace
}  // namespace talvir
