// What --input opens: sound files of any kind libsndfile reads (damaged WAV
// and FLAC headers and bodies above all), as audio or as I/Q, raw 16-bit PCM
// and raw I/Q. The first byte picks the reader (and for raw I/Q its form and
// rate); the rest is the file. Whatever opens is read through to the capture
// blocks the worker takes, or refused with a reason.

#include <unistd.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "audio/input_source.h"
#include "audio/raw_pcm_reader.h"
#include "common/decoder_links.h"
#include "fuzz/fuzz_support.h"

namespace {

// Enough blocks to pass every reader's start-up and a resampler's delay,
// few enough that a header claiming hours does not make a slow input.
constexpr int kBlocksRead = 48;

void ReadThrough(talvir::FrameReader& reader) {
  std::array<uint8_t, talvir::kBlockFrames * 4> block{};
  const std::atomic<bool> stop{false};
  for (int i = 0; i < kBlocksRead; ++i) {
    const std::size_t frames = reader.ReadFrames(block, stop);
    talvir::fuzz::Require(frames <= talvir::kBlockFrames);
    if (frames < talvir::kBlockFrames) break;
  }
}

constexpr std::array<double, 4> kIqRates = {12000, 48000, 96000, 250000};
constexpr std::array<talvir::IqFormat, 3> kIqFormats = {talvir::IqFormat::kCu8, talvir::IqFormat::kCs16,
                                                         talvir::IqFormat::kCf32};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace talvir;
  if (size == 0 || size > 262144) return 0;
  static fuzz::MemoryFile file;
  file.Replace({data + 1, size - 1});
  const uint8_t choice = data[0];
  if ((choice & 3) == 2) {
    RawPcmReader reader(file.Fd());
    ReadThrough(reader);
    return 0;
  }
  InputSpec spec;
  spec.path = file.Path().string();
  spec.iq = (choice & 3) != 0;
  if ((choice & 3) == 3) {
    spec.iqFormat = kIqFormats[(choice >> 2) % kIqFormats.size()];
    spec.iqRate = kIqRates[(choice >> 4) % kIqRates.size()];
  }
  if (choice & 0x40) spec.iqDialHz = 1000;
  std::string error;
  std::optional<OpenedInput> input = OpenInputSource(spec, error);
  if (!input) {
    fuzz::Require(!error.empty());
    return 0;
  }
  fuzz::Require(input->channels == 1 || input->channels == 2);
  ReadThrough(*input->reader);
  return 0;
}
