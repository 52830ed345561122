// Records as the JSON feed writes them: HFDL frames and VHF ACARS blocks go
// through a fresh decoder whose records the JSON writer puts in a file; every
// line written must be one valid JSON object, whatever bytes the frames held.
// Each piece of the input is a frame: its first byte's bit 5 makes it a VHF
// block, the other bits as for the frame decoder's target.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "acars/vhf_acars_printer.h"
#include "fuzz/fuzz_support.h"
#include "outputs/json/json_record_writer.h"

namespace {

struct JsonFile {
  JsonFile() {
    std::string error;
    talvir::OutputTarget target;
    target.kind = talvir::OutputTarget::Kind::kFile;
    target.path = file.Path().string();
    talvir::fuzz::Require(writer.Open({target}, [](const std::string&) {}, error));
    writer.SetClock([] { return std::time_t{1796637600}; });
  }
  talvir::fuzz::MemoryFile file;
  talvir::JsonRecordWriter writer{{"fuzz station \xff", 8834.0}};
};

void CheckLines(std::string_view text) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    talvir::fuzz::Require(end != std::string_view::npos);
    const auto parsed = nlohmann::json::parse(text.substr(0, end), nullptr, false);
    talvir::fuzz::Require(!parsed.is_discarded() && parsed.is_object());
    text.remove_prefix(end + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace talvir;
  if (size > 8192) return 0;
  static JsonFile json;
  json.file.Replace({});
  {
    fuzz::Fresh<fuzz::Chain> chain(json.writer);
    VhfAcarsPrinter vhf(chain->stack.AcarsMessageTargets());
    for (std::span<const uint8_t> piece : fuzz::Pieces({data, size})) {
      if (piece.empty()) continue;
      std::vector<uint8_t> frame(piece.begin() + 1, piece.end());
      if (piece[0] & 0x20) {
        // The level and mended-bit count are numbers the writer must keep valid JSON.
        const VhfBlockQuality quality{.levelDb = static_cast<int8_t>(piece[0]) * 1.7, .correctedBits = piece[0] & 3};
        if (!frame.empty()) vhf.PrintVhfAcars(frame, quality);
        continue;
      }
      BurstInfo burst;
      burst.rateCode = piece[0] & 7;
      burst.detectedSlotIndex = 1 + piece[0] % 13;
      burst.statusLine = "TS(1) ";
      burst.frequencyErrorHz = static_cast<int8_t>(piece[0]) / 3.0;
      if (piece[0] & 0x40) fuzz::FixChecks(frame);
      chain->stack.decoder.ReceiveFrame(frame, burst);
    }
  }
  CheckLines(json.file.Contents());
  return 0;
}
