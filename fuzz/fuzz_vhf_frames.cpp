// VHF ACARS from the demodulator's two ends. As bytes: the frame assembler
// (correcting or not) takes every byte with margins that pick the bits it
// would doubt, and hands what passes its checks to the message printer. As
// bits: the bytes are keyed as MSK audio after a pre-key, sync and SOH, so the
// demodulator's bit and byte recovery sees them too.
// First byte: bit 0 bits or bytes, bit 1 correcting; the rest seed the
// margins. Then the stream.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "acars/vhf_acars_printer.h"
#include "fuzz/fuzz_support.h"
#include "testbench/msk_modulator.h"
#include "vhf/vhf_demodulator.h"
#include "vhf/vhf_frame_assembler.h"

namespace {

// Checks what the printer is handed before printing it, as the demodulator
// promises: SOH first, ETX or ETB last, within the message limit.
class CheckedPrinter final : public talvir::VhfMessageSink {
 public:
  explicit CheckedPrinter(talvir::VhfAcarsPrinter& printer) : printer_(printer) {}
  void PrintVhfAcars(std::span<const uint8_t> block, const talvir::VhfBlockQuality& quality) override {
    talvir::fuzz::Require(block.size() >= 2 && block.size() <= static_cast<std::size_t>(talvir::kAcarsMessageLimit));
    talvir::fuzz::Require((block.front() & 0x7F) == talvir::kAcarsSoh);
    const uint8_t last = block.back() & 0x7F;
    talvir::fuzz::Require(last == talvir::kAcarsEtx || last == talvir::kAcarsEtb);
    printer_.PrintVhfAcars(block, quality);
  }

 private:
  talvir::VhfAcarsPrinter& printer_;
};

constexpr std::size_t kKeyedBytes = 48;

void FeedBytes(talvir::VhfFrameAssembler& assembler, std::span<const uint8_t> bytes, uint8_t seed) {
  uint32_t state = seed * 2654435761u + 1;
  for (uint8_t byte : bytes) {
    talvir::VhfBitMargins margins;
    for (float& margin : margins) {
      state = state * 1664525u + 1013904223u;
      margin = static_cast<float>(state >> 24);
    }
    if (!assembler.Accept(byte, margins)) assembler.StartAfterLock();
  }
}

// After the pre-key, sync and SOH, anything.
void FeedAudio(talvir::VhfDemodulator& demodulator, std::span<const uint8_t> bytes) {
  std::vector<uint8_t> block{talvir::kAcarsSoh};
  block.insert(block.end(), bytes.begin(), bytes.end());
  std::vector<float> audio = talvir::testbench::ModulateVhfAcars(block, {.startSeconds = 0.01});
  audio.resize(audio.size() + talvir::VhfDemodulator::kFlushBlocks * talvir::kBlockFrames, 0.0f);
  for (std::size_t at = 0; at < audio.size(); at += talvir::kBlockFrames) {
    const std::size_t n = std::min<std::size_t>(talvir::kBlockFrames, audio.size() - at);
    demodulator.ProcessBlock(std::span<const float>(audio).subspan(at, n));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace talvir;
  if (size < 2 || size > 4096) return 0;
  fuzz::Fresh<fuzz::Chain> chain;
  VhfAcarsPrinter printer(chain->stack.AcarsMessageTargets());
  CheckedPrinter checked(printer);
  const bool correcting = (data[0] & 2) != 0;
  const std::span<const uint8_t> stream(data + 1, size - 1);
  if (data[0] & 1) {
    // Keyed audio is slow to demodulate: a few dozen bytes reach every state.
    fuzz::Fresh<VhfDemodulator> demodulator(checked, correcting);
    FeedAudio(*demodulator, stream.first(std::min<std::size_t>(stream.size(), kKeyedBytes)));
  } else {
    VhfFrameAssembler assembler(checked, correcting);
    assembler.StartAfterLock();
    FeedBytes(assembler, stream, data[0]);
  }
  return 0;
}
