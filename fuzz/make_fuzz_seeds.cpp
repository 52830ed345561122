// Writes the fuzz targets' seed corpora from the test bench: the demo's HFDL
// frames and VHF blocks, the files the receiver reads, command lines, feed
// conversations, scenarios and short recordings in each input form. The
// corpora kept in the tree are this program's output:
//   make_fuzz_seeds fuzz/corpus

#include <sndfile.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "outputs/publishing/dde_protocol.h"
#include "testbench/frames/demo_traffic.h"
#include "testbench/msk_modulator.h"
#include "testbench/wav_file.h"
#include "tracking/default_station_names.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using talvir::testbench::DemoTraffic;

class Corpus {
 public:
  Corpus(const fs::path& root, std::string_view target) : folder_(root / target) { fs::create_directories(folder_); }
  void Add(std::string_view name, std::span<const uint8_t> bytes) {
    std::ofstream out(folder_ / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void Add(std::string_view name, std::string_view text) {
    Add(name, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  }

 private:
  fs::path folder_;
};

Bytes Prefixed(uint8_t first, std::span<const uint8_t> rest) {
  Bytes bytes{first};
  bytes.insert(bytes.end(), rest.begin(), rest.end());
  return bytes;
}

// One piece per burst of the demo that `keep` takes: options byte, frame.
template <typename Keep>
Bytes DemoPieces(const DemoTraffic& demo, uint8_t options, Keep keep) {
  Bytes input;
  for (const auto& burst : demo.bursts) {
    if (!keep(burst)) continue;
    talvir::fuzz::AppendPiece(input, Prefixed(static_cast<uint8_t>(options | burst.rateCode), burst.frame));
  }
  return input;
}

void HfdlFrames(const fs::path& root, const DemoTraffic& demo) {
  Corpus corpus(root, "fuzz_hfdl_frame");
  Corpus json(root, "fuzz_json_output");
  corpus.Add("demo", DemoPieces(demo, 0, [](const auto&) { return true; }));
  for (std::size_t i = 0; i < demo.bursts.size(); ++i) {
    const auto& burst = demo.bursts[i];
    Bytes one;
    talvir::fuzz::AppendPiece(one, Prefixed(static_cast<uint8_t>(0x40 | burst.rateCode), burst.frame));
    corpus.Add("burst-" + std::to_string(i), one);
  }
  Bytes table = DemoPieces(demo, 0x40, [](const auto& b) { return b.description.find("system table") != std::string::npos; });
  corpus.Add("system-table", table);
  Bytes mixed = DemoPieces(demo, 0x40, [](const auto&) { return true; });
  for (const auto& message : demo.vhfMessages) talvir::fuzz::AppendPiece(mixed, Prefixed(0x20, message.block));
  json.Add("demo", mixed);
}

void VhfFrames(const fs::path& root, const DemoTraffic& demo) {
  Corpus corpus(root, "fuzz_vhf_frames");
  for (std::size_t i = 0; i < demo.vhfMessages.size(); ++i) {
    Bytes block = demo.vhfMessages[i].block;
    corpus.Add("bytes-" + std::to_string(i), Prefixed(0x02, block));
    corpus.Add("bits-" + std::to_string(i), Prefixed(0x03, block));
    block[block.size() / 2] ^= 0x04;  // one bit for the correcting assembler to mend
    corpus.Add("mended-" + std::to_string(i), Prefixed(0x02, block));
  }
}

void ConfigFiles(const fs::path& root, const DemoTraffic& demo) {
  Corpus corpus(root, "fuzz_config_files");
  talvir::Settings settings;
  const talvir::SettingsRecord record = settings.Snapshot();
  const auto* raw = reinterpret_cast<const uint8_t*>(&record);
  corpus.Add("settings", Prefixed(0, std::span(raw, sizeof record)));
  corpus.Add("settings-short", Prefixed(0, std::span(raw, 100)));
  const std::string_view names = talvir::DefaultStationNames();
  corpus.Add("names", Prefixed(1, std::span(reinterpret_cast<const uint8_t*>(names.data()), names.size())));
  // The demo's table as the receiver stores it once decoded.
  talvir::fuzz::Chain chain;
  for (const auto& burst : demo.bursts) {
    talvir::BurstInfo info;
    info.rateCode = burst.rateCode;
    chain.stack.decoder.ReceiveFrame(burst.frame, info);
  }
  const talvir::SystemTable table = chain.stack.systemTable.Snapshot();
  const auto* image = reinterpret_cast<const uint8_t*>(&table);
  corpus.Add("system-table", Prefixed(2, std::span(image, sizeof table)));
  corpus.Add("system-table-short", Prefixed(2, std::span(image, 16 + 2 * sizeof(talvir::SystemTableStation))));
}

void Scenarios(const fs::path& root, const fs::path& example) {
  Corpus corpus(root, "fuzz_scenario");
  std::ifstream in(example);
  corpus.Add("example", std::string(std::istreambuf_iterator<char>(in), {}));
  corpus.Add("slots", R"({"duration": 40, "hf": {"snr_db": 10, "fading": "poor", "timing_offset_ms": 0.2},
    "vhf": {"dc_offset": 0.3, "dc_drift": 0.1, "dc_drift_hz": 0.5},
    "bursts": [{"frame": 1, "slot": 4, "rate": 7, "hex": "01 83 00"}],
    "vhf_messages": [{"time": 3.0, "hex": "01 32 2e 4e 31 32 33 41 42 15 48 31 31 03 00 00 7f"}]})");
}

void FeedConversations(const fs::path& root) {
  Corpus corpus(root, "fuzz_feed_protocol");
  talvir::Settings settings;
  const std::string conversation =
      "CONNECT " + talvir::QuoteDdeName(settings.Text(&talvir::SettingsRecord::acarsDdeService)) + " " +
      talvir::QuoteDdeName(settings.Text(&talvir::SettingsRecord::acarsDdeTopic)) + "\nADVISE START " +
      talvir::QuoteDdeName(settings.Text(&talvir::SettingsRecord::acarsDdeItem)) + "\nREQUEST " +
      talvir::QuoteDdeName(settings.Text(&talvir::SettingsRecord::hfdlDdeItem)) + "\r\nadvise stop \"x y\"\n";
  corpus.Add("conversation", "\x02" + conversation);
  corpus.Add("over-tcp", "\x01" + conversation + "N12345,.G-ABCD,3C6444,12:00:00,-0.5,51.5;");
}

void CommandLines(const fs::path& root) {
  Corpus corpus(root, "fuzz_command_line");
  using namespace std::string_literals;
  corpus.Add("cli-decode", "\x00--input\0demo.wav\0--channel-a\0hf\0--channel-b\0vhf\0--show\0all\0--summary"s);
  corpus.Add("cli-outputs", "\x00--input\0-\0--output\0json:udp:127.0.0.1:5555\0--station-id\0X\0--sbs-port\0"
                            "30003\0--dde-port\0off\0--start-time\0""2026-12-07T11:00:00Z"s);
  corpus.Add("cli-iq", "\x00--input\0iq.raw\0--iq-format\0cs16\0--iq-rate\0""96000\0--iq-dial\0-1000\0--freq\0"
                       "8834\0--kml\0--config-dir\0/tmp/x\0--save-settings"s);
  corpus.Add("window", "\x01--input\0demo.wav\0--seconds\0""30\0--screenshot\0a.png\0--dde-port\0""8650"s);
}

Bytes FlacImage(std::span<const float> left, std::span<const float> right) {
  const fs::path path = fs::temp_directory_path() / "talvir-fuzz-seed.flac";
  SF_INFO info{};
  info.samplerate = 48000;
  info.channels = 2;
  info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  std::vector<float> frames;
  for (std::size_t i = 0; i < left.size(); ++i) frames.insert(frames.end(), {left[i], right[i]});
  sf_writef_float(file, frames.data(), static_cast<sf_count_t>(left.size()));
  sf_close(file);
  std::ifstream in(path, std::ios::binary);
  Bytes image((std::istreambuf_iterator<char>(in)), {});
  fs::remove(path);
  return image;
}

void Recordings(const fs::path& root, const DemoTraffic& demo) {
  Corpus corpus(root, "fuzz_sound_input");
  std::vector<float> left = talvir::testbench::ModulateVhfAcars(demo.vhfMessages.front().block, {.startSeconds = 0.002});
  left.resize(4800);
  std::vector<float> right(left.rbegin(), left.rend());
  corpus.Add("wav-mono", Prefixed(0, talvir::testbench::EncodeWav(left)));
  corpus.Add("wav-stereo", Prefixed(0, talvir::testbench::EncodeWav(left, right)));
  corpus.Add("wav-iq", Prefixed(1, talvir::testbench::EncodeWav(left, right)));
  corpus.Add("flac-stereo", Prefixed(0, FlacImage(left, right)));
  Bytes pcm;
  for (float sample : left) {
    const auto value = static_cast<int16_t>(sample * 32767);
    pcm.insert(pcm.end(), {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)});
  }
  corpus.Add("raw-pcm", Prefixed(2, pcm));
  corpus.Add("raw-iq-cs16", Prefixed(3 | (1 << 2) | (2 << 4), pcm));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_fuzz_seeds CORPUS-FOLDER EXAMPLE-SCENARIO\n");
    return 2;
  }
  const fs::path root = argv[1];
  const DemoTraffic demo = talvir::testbench::BuildDemoTraffic();
  HfdlFrames(root, demo);
  VhfFrames(root, demo);
  ConfigFiles(root, demo);
  Scenarios(root, argv[2]);
  FeedConversations(root);
  CommandLines(root);
  Recordings(root, demo);
  return 0;
}
