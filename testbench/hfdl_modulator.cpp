#include "testbench/hfdl_modulator.h"

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

#include "common/decoder_links.h"
#include "testbench/frames/burst_padding.h"

namespace talvir::testbench {
namespace {

using hfdl::Point;

const hfdl::RateParameters& CheckedRate(int rateCode) {
  if (rateCode < 0 || rateCode >= hfdl::kRateCodes) {
    throw std::invalid_argument("rate code " + std::to_string(rateCode) + " is not 0..7");
  }
  return hfdl::Rate(rateCode);
}

Point KnownSymbol(int bit) { return {hfdl::BpskSign(bit), 0.0f}; }

// The pulse is tabulated at 144000 samples/s, where both the symbol period
// (80) and the output sample period (3) are whole numbers of steps.
constexpr int kFineRate = 144000;
constexpr int kFinePerSymbol = kFineRate / hfdl::kSymbolRate;  // 80
constexpr int kFinePerSample = kFineRate / kSampleRate;        // 3
static_assert(kFinePerSymbol * hfdl::kSymbolRate == kFineRate && kFinePerSample * kSampleRate == kFineRate);
constexpr int kPulseHalf = kRrcSpanSymbols * kFinePerSymbol;

double RootRaisedCosine(double t) {  // t in symbol periods
  const double a = kRrcRollOff;
  if (std::abs(t) < 1e-9) return 1.0 - a + 4.0 * a / std::numbers::pi;
  if (std::abs(std::abs(t) - 1.0 / (4.0 * a)) < 1e-9) {
    const double x = std::numbers::pi / (4.0 * a);
    return a / std::numbers::sqrt2 *
           ((1 + 2 / std::numbers::pi) * std::sin(x) + (1 - 2 / std::numbers::pi) * std::cos(x));
  }
  const double pt = std::numbers::pi * t;
  return (std::sin(pt * (1 - a)) + 4 * a * t * std::cos(pt * (1 + a))) / (pt * (1 - 16 * a * a * t * t));
}

// Scaled so random unit symbols give a mean |baseband|^2 of 1.
const std::vector<double>& PulseTable() {
  static const std::vector<double> table = [] {
    std::vector<double> p(2 * kPulseHalf + 1);
    double energy = 0.0;
    for (int m = -kPulseHalf; m <= kPulseHalf; ++m) {
      const double v = RootRaisedCosine(static_cast<double>(m) / kFinePerSymbol);
      p[static_cast<std::size_t>(m + kPulseHalf)] = v;
      energy += v * v;
    }
    const double scale = std::sqrt(kFinePerSymbol / energy);
    for (auto& v : p) v *= scale;
    return p;
  }();
  return table;
}

}  // namespace

std::vector<uint8_t> FrameBits(std::span<const uint8_t> frame, int rateCode) {
  const auto& rate = CheckedRate(rateCode);
  const auto padded = PadToBurst(frame, rateCode);
  std::vector<uint8_t> bits(static_cast<std::size_t>(rate.viterbiSteps), 0);
  for (std::size_t i = 0; i < padded.size() * 8; ++i) bits[i] = (padded[i / 8] >> (i % 8)) & 1;
  return bits;
}

std::vector<uint8_t> ConvolutionalEncode(std::span<const uint8_t> bits) {
  std::vector<uint8_t> coded;
  coded.reserve(2 * bits.size());
  int state = 0;
  for (uint8_t bit : bits) {
    int first = 0;
    int second = 0;
    state = hfdl::EncoderStep(state, bit & 1, first, second);
    coded.push_back(static_cast<uint8_t>(first));
    coded.push_back(static_cast<uint8_t>(second));
  }
  return coded;
}

std::vector<uint8_t> CodedBurstBits(std::span<const uint8_t> frame, int rateCode) {
  const auto& rate = CheckedRate(rateCode);
  const auto coded = ConvolutionalEncode(FrameBits(frame, rateCode));
  if (rate.repetition == 1) return coded;
  // The decoder adds the soft values of r1 + r2 and r3 + r4: first coded bit
  // twice, then the second twice.
  std::vector<uint8_t> repeated;
  repeated.reserve(coded.size() * static_cast<std::size_t>(rate.repetition));
  for (uint8_t bit : coded) repeated.insert(repeated.end(), static_cast<std::size_t>(rate.repetition), bit);
  return repeated;
}

std::vector<uint8_t> Interleave(std::span<const uint8_t> codedBits, int rateCode) {
  const auto& rate = CheckedRate(rateCode);
  if (codedBits.size() != static_cast<std::size_t>(rate.softBits)) {
    throw std::invalid_argument("a burst of rate code " + std::to_string(rateCode) + " holds " +
                                std::to_string(rate.softBits) + " coded bits, not " + std::to_string(codedBits.size()));
  }
  const auto cell = [&](const hfdl::InterleaverCursor& c) {
    return static_cast<std::size_t>(c.row) * static_cast<std::size_t>(rate.columns) +
           static_cast<std::size_t>(c.column);
  };
  std::vector<uint8_t> matrix(codedBits.size());
  hfdl::InterleaverCursor reader;
  for (uint8_t bit : codedBits) {
    matrix[cell(reader)] = bit;
    reader.StepRead();
  }
  std::vector<uint8_t> air;
  air.reserve(codedBits.size());
  hfdl::InterleaverCursor writer;
  for (std::size_t i = 0; i < codedBits.size(); ++i) {
    air.push_back(matrix[cell(writer)]);
    writer.StepWrite(rate);
  }
  return air;
}

std::vector<Point> MapDataSymbols(std::span<const uint8_t> airBits, int rateCode) {
  const auto& rate = CheckedRate(rateCode);
  const auto perSymbol = static_cast<std::size_t>(rate.bitsPerSymbol);
  if (airBits.size() % perSymbol != 0) throw std::invalid_argument("bits do not fill whole symbols");
  std::vector<Point> symbols;
  symbols.reserve(airBits.size() / perSymbol);
  for (std::size_t at = 0; at < airBits.size(); at += perSymbol) {
    std::size_t index = 0;
    for (std::size_t b = 0; b < perSymbol; ++b) index = (index << 1) | (airBits[at + b] & 1u);
    const Point point = hfdl::Constellation(rate.modulation)[index];
    // Data block k starts at scrambler position 30 k, so symbol i of the
    // burst's data uses position i modulo 120.
    const int position = static_cast<int>(symbols.size() % hfdl::kScramblerLength);
    symbols.push_back(point * hfdl::BpskSign(hfdl::ScramblerBit(position)));
  }
  return symbols;
}

int BurstSymbolCount(int rateCode, int prekeySymbols) {
  return prekeySymbols + hfdl::kFirstDataSymbol + CheckedRate(rateCode).dataBlocks * hfdl::kBlockSymbols;
}

std::vector<Point> BurstSymbols(std::span<const uint8_t> frame, int rateCode, int prekeySymbols) {
  if (prekeySymbols < 0) throw std::invalid_argument("negative prekey");
  const auto data = MapDataSymbols(Interleave(CodedBurstBits(frame, rateCode), rateCode), rateCode);
  std::vector<Point> symbols(static_cast<std::size_t>(prekeySymbols), Point{1.0f, 0.0f});
  symbols.reserve(static_cast<std::size_t>(BurstSymbolCount(rateCode, prekeySymbols)));
  for (int k = 0; k < 2 * hfdl::kSequenceALength; ++k) {
    symbols.push_back(KnownSymbol(hfdl::PreambleABit(k % hfdl::kSequenceALength)));
  }
  for (int i = 0; i < hfdl::kModeSequenceLength; ++i)
    symbols.push_back(KnownSymbol(hfdl::ModeSequenceBit(rateCode, i)));
  for (int i = 0; i < hfdl::kProbeRepetitionLength; ++i) symbols.push_back(KnownSymbol(hfdl::ProbeBit(i)));
  for (std::size_t at = 0; at < data.size(); at += hfdl::kDataSymbols) {
    symbols.insert(symbols.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                   data.begin() + static_cast<std::ptrdiff_t>(at + hfdl::kDataSymbols));
    for (int i = 0; i < hfdl::kProbeSymbols; ++i) symbols.push_back(KnownSymbol(hfdl::ProbeBit(i)));
  }
  return symbols;
}

std::vector<float> ModulateSymbols(std::span<const Point> symbols, const HfdlBurstOptions& options) {
  if (options.startSeconds < 0.0) throw std::invalid_argument("negative burst start");
  const auto& pulse = PulseTable();
  const auto lead = static_cast<std::size_t>(std::lround(options.startSeconds * kSampleRate));
  // From the first pulse's start to the last pulse's end, in fine steps.
  const long long fineLength =
      static_cast<long long>(symbols.size() - (symbols.empty() ? 0 : 1)) * kFinePerSymbol + 2 * kPulseHalf + 1;
  const auto length = static_cast<std::size_t>((fineLength + kFinePerSample - 1) / kFinePerSample);
  std::vector<float> audio(lead + length, 0.0f);
  if (symbols.empty()) return audio;

  const double carrierStep = 2.0 * std::numbers::pi * (hfdl::kCarrierHz + options.carrierOffsetHz) / kSampleRate;
  const auto lastSymbol = static_cast<long long>(symbols.size()) - 1;
  for (std::size_t n = 0; n < length; ++n) {
    // Symbol k's centre sits at fine step kPulseHalf + 80 k.
    const long long fine = static_cast<long long>(n) * kFinePerSample - kPulseHalf;
    const long long first = std::max(0LL, (fine - kPulseHalf + kFinePerSymbol - 1) / kFinePerSymbol);
    const long long last = std::min(lastSymbol, (fine + kPulseHalf) / kFinePerSymbol);
    std::complex<double> baseband{};
    for (long long k = first; k <= last; ++k) {
      const long long offset = fine - k * kFinePerSymbol + kPulseHalf;
      const Point s = symbols[static_cast<std::size_t>(k)];
      baseband += pulse[static_cast<std::size_t>(offset)] * std::complex<double>(s.real(), s.imag());
    }
    const double phase = options.carrierPhase + std::fmod(carrierStep * static_cast<double>(n), 2.0 * std::numbers::pi);
    audio[lead + n] =
        static_cast<float>(static_cast<double>(options.amplitude) * (baseband * std::polar(1.0, phase)).real());
  }
  return audio;
}

std::vector<float> ModulateHfdlBurst(std::span<const uint8_t> frame, int rateCode, const HfdlBurstOptions& options) {
  return ModulateSymbols(BurstSymbols(frame, rateCode, options.prekeySymbols), options);
}

}  // namespace talvir::testbench
