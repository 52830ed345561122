// Real ground stations and aircraft against our transmitter: bursts recorded
// on the air, modulated here from the frame bytes they carried, must match
// symbol for symbol, data as well as preamble and probes.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "reference_pulse.h"
#include "testbench/hfdl_modulator.h"
#include "testbench/wav_file.h"

namespace talvir::testbench {
namespace {

using Complex = std::complex<double>;

constexpr double kRate = 48000.0;
constexpr double kSamplesPerSymbol = kRate / 1800.0;
constexpr int kPerSymbol = 4;  // matched-filter outputs per symbol

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

// Matched-filtered baseband of the recording around the 1440 Hz carrier,
// four outputs per symbol, from `fromSeconds` for `seconds`.
std::vector<Complex> Baseband(const std::vector<float>& audio, double fromSeconds, double seconds) {
  const double span = 8 * kSamplesPerSymbol;
  const auto first = static_cast<long>(fromSeconds * kRate - span);
  const auto last = static_cast<long>((fromSeconds + seconds) * kRate + span);
  std::vector<Complex> mixed;
  for (long n = first; n <= last; ++n) {
    const bool inside = n >= 0 && n < static_cast<long>(audio.size());
    mixed.push_back(inside ? static_cast<double>(audio[static_cast<std::size_t>(n)]) *
                                 std::polar(1.0, -2 * std::numbers::pi * 1440.0 * static_cast<double>(n) / kRate)
                           : Complex{});
  }
  std::vector<Complex> out;
  const double step = kSamplesPerSymbol / kPerSymbol;
  for (double centre = span; centre + span < static_cast<double>(mixed.size()); centre += step) {
    Complex sum{};
    for (auto n = static_cast<long>(centre - span); n <= static_cast<long>(centre + span); ++n) {
      sum += ReferenceRrc((static_cast<double>(n) - centre) / kSamplesPerSymbol) * mixed[static_cast<std::size_t>(n)];
    }
    out.push_back(sum);
  }
  return out;
}

// Normalised correlation of `length` received symbols from symbol `first`
// with the expected ones; carrier phase and fading drop out per segment.
double SegmentMatch(const std::vector<Complex>& rx, std::size_t start, const std::vector<hfdl::Point>& symbols,
                    std::size_t first, std::size_t length) {
  Complex sum{};
  double rxPower = 0.0;
  double refPower = 0.0;
  for (std::size_t k = first; k < first + length; ++k) {
    const Complex ref(symbols[k].real(), symbols[k].imag());
    const Complex r = rx[start + kPerSymbol * k];
    sum += r * std::conj(ref);
    rxPower += std::norm(r);
    refPower += std::norm(ref);
  }
  return std::abs(sum) / std::sqrt(rxPower * refPower);
}

struct Match {
  double preamble = 0.0;
  double data = 0.0;  // data symbols of the first 24 blocks, 15 at a time
};

Match MatchBurst(const std::vector<float>& audio, double aroundSeconds, const std::vector<uint8_t>& frame) {
  const auto symbols = BurstSymbols(frame, 6, 0);
  const double from = aroundSeconds - 0.1;
  const auto rx = Baseband(audio, from, 0.2 + static_cast<double>(symbols.size()) / 1800.0);
  // Find the preamble (both A sequences) non-coherently, 25 symbols a segment.
  std::size_t best = 0;
  double bestScore = 0.0;
  for (std::size_t start = 0; start + kPerSymbol * symbols.size() < rx.size(); ++start) {
    double score = 0.0;
    for (std::size_t k = 0; k + 25 <= 254; k += 25) score += SegmentMatch(rx, start, symbols, k, 25);
    if (score > bestScore) {
      bestScore = score;
      best = start;
    }
  }
  Match match;
  match.preamble = bestScore / 10.0;
  int segments = 0;
  for (std::size_t block = 0; block < 24; ++block) {
    for (std::size_t half = 0; half < 2; ++half) {
      match.data += SegmentMatch(rx, best, symbols, 531 + 45 * block + 15 * half, 15);
      ++segments;
    }
  }
  match.data /= segments;
  return match;
}

struct OnAirBurst {
  const char* file;
  double seconds;
  const char* hex;
};

TEST(OnAir, RecordedBurstsCarryTheSymbolsWeModulate) {
  const std::filesystem::path dir = TALVIR_RECORDINGS_DIR;
  if (!std::filesystem::exists(dir / "hfdl-squitter-gs3.wav")) GTEST_SKIP() << "no recordings at " << dir;
  const OnAirBurst bursts[] = {
      {"hfdl-squitter-gs3.wav", 1.46,
       "0083de720000006e0100000000000000700100000000000000000000710100000000000000000000fe686bfefefefefefefefefe001a800"
       "3"
       "00899000d0080a00825100"},
      {"hfdl-downlink-uplink-gs3.wav", 8.19,
       "078371000300316e930dffd15355303231392681e28716db2d013303050c000000000000000000000300000000100000000000040000000"
       "3"
       "019df50000000000000000"},
      {"hfdl-downlink-uplink-gs3.wav", 10.64,
       "01836e131513210dffff0132aeceb6b931b53438df7f57838a8d7fc98f00000000000000000000000000000000000000000000000000000"
       "0"
       "0000000000000000000000"},
  };
  for (const auto& burst : bursts) {
    const auto audio = ReadWavFile(dir / burst.file);
    const auto frame = FromHex(burst.hex);
    const Match right = MatchBurst(audio.samples[0], burst.seconds, frame);
    auto other = frame;
    for (auto& b : other) b ^= 0x5A;
    const Match wrong = MatchBurst(audio.samples[0], burst.seconds, other);
    std::printf("%s at %.2f s: preamble %.2f, data %.2f, another frame's data %.2f\n", burst.file, burst.seconds,
                right.preamble, right.data, wrong.data);
    // The received data symbols match as well as the known preamble does;
    // another frame's symbols do not.
    EXPECT_GT(right.preamble, 0.5) << burst.file << " at " << burst.seconds;
    EXPECT_GT(right.data, 0.6) << burst.file << " at " << burst.seconds;
    EXPECT_GT(right.data, right.preamble - 0.15) << burst.file << " at " << burst.seconds;
    EXPECT_LT(wrong.data, 0.35) << burst.file << " at " << burst.seconds;
  }
}

}  // namespace
}  // namespace talvir::testbench
