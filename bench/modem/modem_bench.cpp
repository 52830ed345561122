// Modem throughput and sensitivity.
//
//   talvir_bench_modem                  throughput, then the sensitivity table: 50 bursts a
//                                       point, 1 dB steps, every rate code and channel
//   talvir_bench_modem --sweep=full     the same, then the false-frame hours
//   talvir_bench_modem --sweep=none     throughput only
//   talvir_bench_modem --sweep=diagnose throughput and where the loss is
//   talvir_bench_modem --sweep=table    the sensitivity table alone
//   talvir_bench_modem --sweep=false-frames  an hour each of noise, clipped noise, noise + carrier
//   talvir_bench_modem --sweep=loss     where the bursts of --codes lose at each --snr (--channels: noise)
//   talvir_bench_modem --sweep=wrong-frames  MPDU bursts of --codes at each --snr in noise, checked
//                                       by the protocol's FCSs: wrong frames that pass
// Sensitivity options: --bursts=N a point (50), --codes=6,4 (rate codes),
// --channels=noise,white,moderate,disturbed,carrier,carrier+6, --snr=2,4,6 (instead of each
// channel's range).
//
// Throughput is seconds of audio per CPU second on one core; sensitivity is
// the share of bursts decoded to exactly the sent bytes against the SNR in
// 3 kHz, in noise (band-limited and white), in two fading presets and under a
// steady carrier.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/decoder_links.h"
#include "modem/burst_decode.h"
#include "modem/deinterleaver.h"
#include "modem/hfdl_modem.h"
#include "modem/soft_slicer.h"
#include "modem/viterbi_decoder.h"
#include "protocol/mpdu_layout.h"
#include "testbench/carrier_interferer.h"
#include "testbench/frames/burst_padding.h"
#include "testbench/frames/lpdu_builder.h"
#include "testbench/frames/mpdu_builder.h"
#include "testbench/hf_channel.h"
#include "testbench/hfdl_modulator.h"
#include "testbench/watterson_fading.h"

namespace talvir {
namespace {

// Counts frames and keeps the last one and, when given the modem, the burst's
// soft bits in decoder order while the modem still holds them.
class MeasuringReceiver : public HfdlFrameReceiver {
 public:
  bool ReceiveFrame(std::span<const uint8_t> frame, const BurstInfo& burst) override {
    last.assign(frame.begin(), frame.end());
    lastCode = burst.rateCode;
    ++frames;
    if (modem == nullptr) return true;
    auto reader = std::make_unique<Deinterleaver>(modem->SoftBits());
    reader->Rewind();
    soft.resize(static_cast<std::size_t>(hfdl::Rate(burst.rateCode).softBits));
    for (auto& v : soft) v = reader->Read();
    return true;
  }
  // Given the frame sent, the frame check is one that catches every error,
  // unless the protocol's own check is asked for.
  bool FrameIntact(std::span<const uint8_t> frame) const override {
    if (protocolCheck) return MpduIntact(frame);
    return sent == nullptr || std::equal(frame.begin(), frame.end(), sent->begin(), sent->end());
  }
  const HfdlModem* modem = nullptr;
  const std::vector<uint8_t>* sent = nullptr;
  bool protocolCheck = false;
  std::vector<uint8_t> last;
  std::vector<float> soft;
  int lastCode = -1;
  int frames = 0;
};

std::vector<uint8_t> RandomFrame(int code, std::mt19937& random) {
  std::vector<uint8_t> frame(static_cast<std::size_t>(hfdl::Rate(code).frameBytes), 0);
  for (std::size_t i = 0; i + 1 < frame.size(); ++i) frame[i] = static_cast<uint8_t>(random());
  return frame;
}

void Feed(HfdlModem& modem, const std::vector<float>& audio) {
  for (std::size_t at = 0; at + kBlockFrames <= audio.size(); at += kBlockFrames)
    modem.ModemFeedSamples(std::span<const float>(audio.data() + at, kBlockFrames));
}

constexpr double kThroughputSeconds = 60.0;

void BM_NoiseOnly(benchmark::State& state) {
  testbench::ChannelOptions channel;
  const auto noise = testbench::ShapedNoise(static_cast<std::size_t>(kThroughputSeconds * kSampleRate), 0.01, channel);
  MeasuringReceiver receiver;
  auto modem = std::make_unique<HfdlModem>(receiver);
  for (auto _ : state) Feed(*modem, noise);
  state.counters["x_realtime"] =
      benchmark::Counter(kThroughputSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["false_frames"] = receiver.frames;
}

void BM_Traffic1800(benchmark::State& state) {
  // Back-to-back 1800 bps bursts at 20 dB: the modem is always receiving.
  std::mt19937 random(1);
  std::vector<float> audio;
  while (audio.size() < static_cast<std::size_t>(kThroughputSeconds * kSampleRate)) {
    testbench::HfdlBurstOptions burst;
    burst.startSeconds = 0.02;
    const auto one = testbench::ModulateHfdlBurst(RandomFrame(0, random), 0, burst);
    audio.insert(audio.end(), one.begin(), one.end());
  }
  testbench::ChannelOptions channel;
  channel.snrDb = 20.0;
  audio = testbench::ApplyChannel(audio, channel);
  const double seconds = static_cast<double>(audio.size()) / kSampleRate;
  MeasuringReceiver receiver;
  auto modem = std::make_unique<HfdlModem>(receiver);
  for (auto _ : state) Feed(*modem, audio);
  state.counters["x_realtime"] = benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["frames_per_pass"] = static_cast<double>(receiver.frames) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_NoiseOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Traffic1800)->Unit(benchmark::kMillisecond);

// --- Sensitivity ---------------------------------------------------------------

struct Trial {
  bool detected = false;
  bool correct = false;
  int voteRejections = 0;
  int rawErrors = 0;  // coded bits whose soft value has the wrong sign
  int rawBits = 0;
  // By fifths of the burst's data in time: wrong signs, bits, and for the
  // likelihoods' calibration the sum and the sum of squares of L times the
  // sent bit's sign.
  static constexpr int kParts = 5;
  std::array<int, kParts> partErrors{};
  std::array<int, kParts> partBits{};
  std::array<double, kParts> partSum{};
  std::array<double, kParts> partSquares{};
};

// The data symbol (counted in time from the burst's first) that carries each
// coded bit of the decoder's read order.
std::vector<int> SymbolOfReadBit(int code) {
  const auto& rate = hfdl::Rate(code);
  std::vector<int> writeIndex(static_cast<std::size_t>(rate.softBits));
  hfdl::InterleaverCursor writer;
  for (int i = 0; i < rate.softBits; ++i) {
    writeIndex[static_cast<std::size_t>(writer.row * rate.columns + writer.column)] = i;
    writer.StepWrite(rate);
  }
  std::vector<int> symbol(static_cast<std::size_t>(rate.softBits));
  hfdl::InterleaverCursor reader;
  for (auto& s : symbol) {
    s = writeIndex[static_cast<std::size_t>(reader.row * rate.columns + reader.column)] / rate.bitsPerSymbol;
    reader.StepRead();
  }
  return symbol;
}

// One column of the sensitivity table: what lies between the transmitter and
// the modem besides the noise.
struct Channel {
  const char* name;
  testbench::FadingPreset fading = testbench::FadingPreset::kNone;
  bool whiteNoise = false;  // noise over 0 .. 24 kHz instead of the SSB passband
  double lo = -8.0;         // SNR range swept, dB
  double hi = 12.0;
  std::optional<double> carrierDb;  // a steady carrier this much above the burst
};

const Channel kChannels[] = {
    {"noise", testbench::FadingPreset::kNone, false, -8.0, 12.0, std::nullopt},
    {"white", testbench::FadingPreset::kNone, true, -8.0, 12.0, std::nullopt},
    {"moderate", testbench::FadingPreset::kModerate, false, -4.0, 30.0, std::nullopt},
    {"disturbed", testbench::FadingPreset::kDisturbed, false, -4.0, 30.0, std::nullopt},
    {"carrier", testbench::FadingPreset::kNone, false, 0.0, 20.0, 0.0},
    {"carrier+6", testbench::FadingPreset::kNone, false, 0.0, 20.0, 6.0},
};

// The burst of `frame` with a random start, carrier phase and carrier offset
// within 20 Hz, then half a second of channel. An interfering carrier lies
// anywhere within 700 Hz of the burst's centre, drifts by up to 0.2 Hz/s and
// is on 2 s before the burst.
std::vector<float> BurstThroughChannel(const std::vector<uint8_t>& frame, int code, double snrDb, const Channel& through,
                                       uint32_t seed, std::mt19937& random) {
  std::uniform_real_distribution<double> uniform;
  testbench::HfdlBurstOptions burst;
  // A steady carrier is there long before the burst.
  burst.startSeconds = (through.carrierDb ? 2.0 : 0.1) + 0.2 * uniform(random);
  burst.carrierPhase = 6.28 * uniform(random);
  burst.carrierOffsetHz = 40.0 * uniform(random) - 20.0;
  auto audio = testbench::ModulateHfdlBurst(frame, code, burst);
  audio.resize(audio.size() + kSampleRate / 2, 0.0f);
  testbench::ChannelOptions channel;
  channel.snrDb = snrDb;
  channel.fading = through.fading;
  channel.whiteNoise = through.whiteNoise;
  channel.seed = seed;
  channel.signalPower = static_cast<double>(burst.amplitude * burst.amplitude) / 2.0;
  if (through.carrierDb)
    channel.carrier = testbench::CarrierInterferer{hfdl::kCarrierHz + 1400.0 * uniform(random) - 700.0, *through.carrierDb,
                                                   0.4 * uniform(random) - 0.2, 6.28 * uniform(random)};
  return testbench::ApplyChannel(audio, channel);
}

// A burst of random content into one fresh modem.
Trial RunBurst(int code, double snrDb, const Channel& through, uint32_t seed) {
  std::mt19937 random(seed);
  const auto frame = RandomFrame(code, random);
  const auto audio = BurstThroughChannel(frame, code, snrDb, through, seed, random);
  MeasuringReceiver receiver;
  auto modem = std::make_unique<HfdlModem>(receiver);
  receiver.modem = modem.get();
  receiver.sent = &frame;
  Feed(*modem, audio);

  Trial t;
  t.detected = receiver.frames > 0;
  t.correct = receiver.frames == 1 && receiver.last == frame;
  t.voteRejections = modem->VoteRejections();
  if (receiver.frames == 1 && receiver.lastCode == code) {
    const auto coded = testbench::CodedBurstBits(frame, code);
    const auto symbol = SymbolOfReadBit(code);
    const int symbols = hfdl::Rate(code).dataBlocks * hfdl::kDataSymbols;
    for (std::size_t i = 0; i < coded.size() && i < receiver.soft.size(); ++i) {
      const bool wrong = (receiver.soft[i] < 0.0f) != (coded[i] != 0);
      t.rawErrors += wrong;
      ++t.rawBits;
      const auto part = static_cast<std::size_t>(Trial::kParts * symbol[i] / symbols);
      const double signedL = coded[i] ? -receiver.soft[i] : receiver.soft[i];
      t.partErrors[part] += wrong;
      ++t.partBits[part];
      t.partSum[part] += signedL;
      t.partSquares[part] += signedL * signedL;
    }
  }
  return t;
}

// Goals at 90 % of frames, dB, where a row has one: noise at each rate,
// fading up to 1200 bps (and moderate fading at 1800). Disturbed fading at
// 1800 bps asks for 60 % at 20 dB instead, the carriers for 90 % at 12 dB.
// 300, 600, 1200, 1800 bps: rate codes 6-7, 4-5, 2-3, 0-1.
std::size_t RateColumn(int code) { return static_cast<std::size_t>(3 - code / 2); }

std::optional<double> GoalDb(std::string_view channel, int code) {
  static constexpr std::array<double, 4> kNoiseGoals = {-4.0, -1.0, 2.0, 5.0};
  const std::size_t column = RateColumn(code);
  if (channel == "noise") return kNoiseGoals[column];
  if (channel == "moderate") return column == 3 ? 16.0 : 8.0;
  if (channel == "disturbed" && column != 3) return 12.0;
  return std::nullopt;
}

// The receiver as first built, on the same kind of bursts (20 a point, 2 dB
// steps, 1.8 s interleaver only): the "before" of each row.
const char* AsFirstBuilt(std::string_view channel, int code) {
  if (hfdl::Rate(code).longInterleaver) return nullptr;
  struct Row {
    const char* channel;
    std::array<const char*, 4> byRate;  // as RateColumn
  };
  static constexpr Row kRows[] = {
      {"noise", {"-2 dB", "+0 dB", "+4 dB", "+10 dB"}},
      {"white", {"+4 dB", "+6 dB", "+12 dB", "never (0% at +12)"}},
      {"moderate", {"+2 dB", "+6 dB", "+12 dB", "never (85% at +24)"}},
      {"disturbed", {"+4 dB", "+6 dB", "+16 dB", "never (30% at +22)"}},
      {"carrier", {nullptr, "35% at +12", "20% at +12", "30% at +12"}},
      {"carrier+6", {nullptr, "15% at +12", "5% at +12", "15% at +12"}},
  };
  for (const Row& row : kRows)
    if (channel == row.channel) return row.byRate[RateColumn(code)];
  return nullptr;
}

struct SweepOptions {
  int bursts = 50;
  double step = 1.0;                                  // dB: the goals lie 1 dB apart
  std::vector<int> codes = {6, 7, 4, 5, 2, 3, 0, 1};  // 300 to 1800 bps, each interleaver
  std::vector<std::string> channels;  // empty: all
  std::vector<double> snrs;           // empty: each channel's range
};

void SensitivityTable(const SweepOptions& sweep) {
  std::printf("\nSensitivity: share of %d bursts decoded exactly (detected in brackets), SNR in 3 kHz\n", sweep.bursts);
  for (const auto& ch : kChannels) {
    if (!sweep.channels.empty() && std::find(sweep.channels.begin(), sweep.channels.end(), ch.name) == sweep.channels.end())
      continue;
    std::printf("\n%s\n", ch.name);
    for (const int code : sweep.codes) {
      std::printf("%5d bps %s", hfdl::Rate(code).bitRate, hfdl::Rate(code).longInterleaver ? "4.2s" : "1.8s");
      std::vector<double> snrs = sweep.snrs;
      if (snrs.empty())
        for (double snr = ch.lo; snr <= ch.hi + 1e-9; snr += sweep.step) snrs.push_back(snr);
      double at90 = 1e9;
      for (const double snr : snrs) {
        int ok = 0;
        int detected = 0;
        for (int b = 0; b < sweep.bursts; ++b) {
          const Trial t = RunBurst(code, snr, ch, static_cast<uint32_t>(1000 * b + 7 * code + 1));
          ok += t.correct;
          detected += t.detected;
        }
        // Skip the hopeless low end quietly.
        if (ok == 0 && detected == 0 && sweep.snrs.empty()) continue;
        std::printf("  %+.0f:%d%%(%d)", snr, 100 * ok / sweep.bursts, 100 * detected / sweep.bursts);
        std::fflush(stdout);
        if (10 * ok >= 9 * sweep.bursts && at90 > 1e8) at90 = snr;
        if (ok == sweep.bursts && snr >= at90 + sweep.step && sweep.snrs.empty()) break;
      }
      if (at90 < 1e8)
        std::printf("   => 90%% at %+.0f dB", at90);
      else
        std::printf("   => 90%% not reached");
      if (const auto goal = GoalDb(ch.name, code)) std::printf(at90 <= *goal ? " (goal met)" : " (goal missed)");
      if (const char* before = AsFirstBuilt(ch.name, code)) std::printf("; as first built: %s", before);
      std::printf("\n");
    }
  }
}

// --- Wrong frames that pass the protocol's check --------------------------------------

// An aircraft's MPDU whose LPDUs of random content fill the burst, every FCS
// in place, padded as sent.
std::vector<uint8_t> RandomMpdu(int code, std::mt19937& random) {
  constexpr int kHeaderAndFcs = 8;  // before the LPDU lengths
  const int room = hfdl::Rate(code).frameBytes - 1;
  const int count = (room - kHeaderAndFcs + testbench::kLpduMaxBytes) / (testbench::kLpduMaxBytes + 1);
  int left = room - kHeaderAndFcs - count;
  std::vector<testbench::Lpdu> lpdus;
  for (int i = 0; i < count; ++i) {
    const int bytes = left / (count - i);
    left -= bytes;
    std::vector<uint8_t> body(static_cast<std::size_t>(bytes - testbench::kLpduOverheadBytes));
    for (auto& b : body) b = static_cast<uint8_t>(random());
    lpdus.push_back(testbench::BuildLpdu(static_cast<uint8_t>(random()), body));
  }
  const testbench::AirMpduHeader header{.groundStationId = static_cast<int>(random() % 128),
                                        .aid = static_cast<uint8_t>(random()),
                                        .maxBitRateCode = 4};
  return testbench::PadToBurst(testbench::BuildAirMpdu(header, lpdus), code);
}

// Bursts of whole MPDUs in band noise, checked as the protocol checks them
// (the header's FCS and every LPDU's): the wrong frames among those that
// pass are the false frames a listener would see.
void WrongFrames(const SweepOptions& sweep) {
  std::printf("\nMPDU bursts in noise, the protocol's frame check, %d bursts a point:\n", sweep.bursts);
  for (const int code : sweep.codes)
    for (const double snr : sweep.snrs) {
      int right = 0;
      int wrong = 0;
      for (int b = 0; b < sweep.bursts; ++b) {
        const auto seed = static_cast<uint32_t>(1000 * b + 7 * code + 3);
        std::mt19937 random(seed);
        const auto frame = RandomMpdu(code, random);
        const auto audio = BurstThroughChannel(frame, code, snr, kChannels[0], seed, random);
        MeasuringReceiver receiver;
        receiver.protocolCheck = true;
        auto modem = std::make_unique<HfdlModem>(receiver);
        Feed(*modem, audio);
        if (receiver.frames == 0 || !MpduIntact(receiver.last)) continue;
        if (receiver.last == frame) {
          ++right;
        } else {
          ++wrong;
          std::printf("  a wrong frame passed: burst %d, seed %u\n", b, seed);
        }
      }
      std::printf("%5d bps %s  %+.0f dB: %d right, %d failed the check, %d wrong that passed it\n",
                  hfdl::Rate(code).bitRate, hfdl::Rate(code).longInterleaver ? "4.2s" : "1.8s", snr, right,
                  sweep.bursts - right - wrong, wrong);
      std::fflush(stdout);
    }
}

// --- False frames -------------------------------------------------------------------

// An hour each of band noise, clipped loud noise and band noise under a
// steady carrier, one minute of fresh noise after another into one modem:
// every frame handed on is a false one.
void FalseFrames(double minutes) {
  std::printf("\nFalse frames in %.0f minutes of each input (frames handed on by the modem):\n", minutes);
  const char* names[] = {"band noise", "clipped loud noise", "band noise + carrier"};
  for (int kind = 0; kind < 3; ++kind) {
    MeasuringReceiver receiver;
    auto modem = std::make_unique<HfdlModem>(receiver);
    for (int minute = 0; minute < static_cast<int>(minutes); ++minute) {
      testbench::ChannelOptions channel;
      channel.seed = static_cast<uint64_t>(1000 * kind + minute + 1);
      auto audio = testbench::ShapedNoise(60 * kSampleRate, kind == 1 ? 9.0 : 0.01, channel);
      if (kind == 1)
        for (auto& v : audio) v = std::clamp(v, -1.0f, 32767.0f / 32768.0f);
      if (kind == 2) testbench::AddCarrier(audio, {.frequencyHz = 1700.0 + minute, .levelDb = 6.0, .driftHzPerSecond = 0.05}, 0.01);
      Feed(*modem, audio);
    }
    std::printf("  %-22s %d\n", names[kind], receiver.frames);
    std::fflush(stdout);
  }
}

// --- Where the loss is --------------------------------------------------------------

double QFunction(double x) { return 0.5 * std::erfc(x / std::sqrt(2.0)); }

// Coded-bit error rate of ideal coherent detection, Gray mapping, in noise.
double IdealRawBer(int code, double snrDb) {
  const double esN0 = std::pow(10.0, snrDb / 10.0) * 3000.0 / hfdl::kSymbolRate;
  switch (hfdl::Rate(code).modulation) {
    case hfdl::Modulation::kBpsk: return QFunction(std::sqrt(2.0 * esN0));
    case hfdl::Modulation::kQpsk: return QFunction(std::sqrt(esN0));
    case hfdl::Modulation::k8psk: return 2.0 / 3.0 * QFunction(std::sqrt(2.0 * esN0) * std::sin(std::numbers::pi / 8));
  }
  return 0.5;
}

// The SNR at which ideal detection would make this many raw errors.
double EquivalentSnr(int code, double ber) {
  double lo = -20.0;
  double hi = 30.0;
  for (int i = 0; i < 60; ++i) {
    const double mid = 0.5 * (lo + hi);
    (IdealRawBer(code, mid) > ber ? lo : hi) = mid;
  }
  return 0.5 * (lo + hi);
}

void Diagnose(int bursts) {
  std::printf("\nWhere the loss is, noise only, %d bursts a point: detection (and candidates refused by the vote),\n"
              "coded-bit error rate after the equaliser against ideal coherent detection, the equaliser's loss in dB,\n"
              "and frames decoded exactly.\n", bursts);
  std::printf("%5s %6s %9s %9s %10s %10s %8s %7s\n", "rate", "SNR", "detected", "refused", "raw BER", "ideal BER", "eq loss",
              "frames");
  const std::pair<int, std::vector<double>> points[] = {
      {6, {-6, -4, -3, -2}}, {4, {-2, -1, 0, 2}}, {2, {0, 2, 3, 4}}, {0, {4, 5, 6, 8, 10}}};
  for (const auto& [code, snrs] : points) {
    for (const double snr : snrs) {
      int detected = 0, refused = 0, ok = 0;
      long errors = 0, bits = 0;
      for (int b = 0; b < bursts; ++b) {
        const Trial t = RunBurst(code, snr, kChannels[0], static_cast<uint32_t>(5000 + 1000 * b + code));
        detected += t.detected;
        refused += t.voteRejections > 0;
        ok += t.correct;
        errors += t.rawErrors;
        bits += t.rawBits;
      }
      const double ber = bits ? static_cast<double>(errors) / static_cast<double>(bits) : 0.0;
      const double ideal = IdealRawBer(code, snr);
      std::printf("%5d %+6.0f %8d%% %8d%% %10.4f %10.4f %+8.1f %6d%%\n", hfdl::Rate(code).bitRate, snr,
                  100 * detected / bursts, 100 * refused / bursts, ber, ideal, bits ? snr - EquivalentSnr(code, ber) : 0.0,
                  100 * ok / bursts);
      std::fflush(stdout);
    }
  }
}

// The same frame through an ideal coherent receiver: the burst's data
// symbols in complex white noise at the SNR, likelihoods from the true noise,
// the modem's deinterleaver and decoder. What the code alone allows. Under
// fading, the matched-filter bound: each symbol carries the energy of both
// paths of a Watterson channel of the preset (its own realisation), known
// exactly, with no intersymbol interference.
bool IdealDecode(const std::vector<uint8_t>& frame, int code, double snrDb, uint32_t seed,
                 testbench::FadingPreset fading = testbench::FadingPreset::kNone) {
  const double esN0 = std::pow(10.0, snrDb / 10.0) * 3000.0 / hfdl::kSymbolRate;
  const auto symbols = testbench::MapDataSymbols(testbench::Interleave(testbench::CodedBurstBits(frame, code), code), code);
  std::mt19937 random(seed);
  std::normal_distribution<float> gauss(0.0f, static_cast<float>(std::sqrt(0.5 / esN0)));
  auto soft = std::make_unique<Deinterleaver>();
  soft->SetMode(code);
  const SoftSlicer slicer = SlicerFor(code);
  std::optional<testbench::WattersonTaps> taps;
  if (fading != testbench::FadingPreset::kNone)
    taps.emplace(testbench::ProfileOf(fading).dopplerSpreadHz, hfdl::kSymbolRate, seed + 99);
  int t = 0;
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    float gain = 1.0f;
    if (taps) {
      const int data = static_cast<int>(i);
      const int at =
          hfdl::kFirstDataSymbol + data / hfdl::kDataSymbols * hfdl::kBlockSymbols + data % hfdl::kDataSymbols;
      std::array<std::complex<double>, 2> g{};
      for (; t <= at; ++t) g = taps->Next();
      gain = static_cast<float>(std::sqrt(std::norm(g[0]) + std::norm(g[1])));
    }
    const SymbolScale scale{gain, static_cast<float>(1.0 / esN0)};
    // Descrambled, as the equaliser hands them on.
    const float sign = hfdl::BpskSign(hfdl::ScramblerBit(static_cast<int>(i % hfdl::kScramblerLength)));
    slicer(sign * (gain * symbols[i] + Complex{gauss(random), gauss(random)}), scale, *soft);
  }
  auto viterbi = std::make_unique<ViterbiDecoder>();
  std::vector<uint8_t> bits(static_cast<std::size_t>(hfdl::kMaxViterbiSteps));
  const int steps = DecodeBurst(*soft, *viterbi, bits);
  std::vector<uint8_t> bytes(static_cast<std::size_t>(hfdl::kMaxFrameBytes));
  bytes.resize(static_cast<std::size_t>(
      PackBitsLsbFirst(std::span<const uint8_t>(bits.data(), static_cast<std::size_t>(steps)), bytes)));
  return bytes == frame;
}

// Where the bursts lose: detection, frames, the ideal receiver's frames on the
// same content, the coded-bit errors against ideal detection (all bursts, and
// the failed ones alone), and by fifths of the burst in time the errors and
// the likelihoods' calibration (the spread of L over twice its mean: 1 for
// true log-likelihood ratios of BPSK, the same in every fifth if the scale
// holds over the burst).
void LossBreakdown(const SweepOptions& sweep) {
  std::printf("\nWhere the loss is, %d bursts a point (the table's bursts): detected, frames exact, the ideal\n"
              "receiver's frames, coded-bit errors and the equaliser's loss against ideal detection, the failed\n"
              "bursts' coded-bit errors, then by fifths of the burst the errors (per mille) and the calibration.\n",
              sweep.bursts);
  for (const auto& ch : kChannels) {
    if (sweep.channels.empty() ? std::strcmp(ch.name, "noise") != 0
                               : std::find(sweep.channels.begin(), sweep.channels.end(), ch.name) == sweep.channels.end())
      continue;
    std::printf("\n%s\n%5s %4s %5s %5s %5s %5s %8s %6s %6s  %-29s %s\n", ch.name, "rate", "", "SNR", "det", "ok", "ideal",
                "raw BER", "eq dB", "failed", "errors by fifth, per mille", "calibration by fifth");
    for (const int code : sweep.codes) {
      for (const double snr : sweep.snrs) {
        int detected = 0;
        int ok = 0;
        int ideal = 0;
        long failedErrors = 0;
        long failedBits = 0;
        Trial sum;
        for (int b = 0; b < sweep.bursts; ++b) {
          const auto seed = static_cast<uint32_t>(1000 * b + 7 * code + 1);
          const Trial t = RunBurst(code, snr, ch, seed);
          std::mt19937 random(seed);
          ideal += IdealDecode(RandomFrame(code, random), code, snr, seed + 17, ch.fading);
          detected += t.detected;
          ok += t.correct;
          sum.rawErrors += t.rawErrors;
          sum.rawBits += t.rawBits;
          if (!t.correct) {
            failedErrors += t.rawErrors;
            failedBits += t.rawBits;
          }
          for (std::size_t p = 0; p < Trial::kParts; ++p) {
            sum.partErrors[p] += t.partErrors[p];
            sum.partBits[p] += t.partBits[p];
            sum.partSum[p] += t.partSum[p];
            sum.partSquares[p] += t.partSquares[p];
          }
        }
        const double ber = sum.rawBits ? static_cast<double>(sum.rawErrors) / sum.rawBits : 0.0;
        std::printf("%5d %4s %+5.1f %4d%% %4d%% %4d%% %8.4f %+6.2f %6.4f ", hfdl::Rate(code).bitRate,
                    hfdl::Rate(code).longInterleaver ? "4.2s" : "1.8s", snr, 100 * detected / sweep.bursts,
                    100 * ok / sweep.bursts, 100 * ideal / sweep.bursts, ber, sum.rawBits ? snr - EquivalentSnr(code, ber) : 0.0,
                    failedBits ? static_cast<double>(failedErrors) / static_cast<double>(failedBits) : 0.0);
        for (std::size_t p = 0; p < Trial::kParts; ++p)
          std::printf(" %5.1f", sum.partBits[p] ? 1000.0 * sum.partErrors[p] / sum.partBits[p] : 0.0);
        std::printf("  ");
        for (std::size_t p = 0; p < Trial::kParts; ++p) {
          const double n = sum.partBits[p];
          const double mean = n > 0 ? sum.partSum[p] / n : 0.0;
          const double variance = n > 1 ? (sum.partSquares[p] - n * mean * mean) / (n - 1) : 0.0;
          std::printf(" %4.2f", mean > 0 ? variance / (2.0 * mean) : 0.0);
        }
        std::printf("\n");
        std::fflush(stdout);
      }
    }
  }
}

}  // namespace
}  // namespace talvir

std::vector<std::string> SplitList(const char* text) {
  std::vector<std::string> items;
  std::string item;
  for (const char* c = text;; ++c) {
    if (*c == ',' || *c == '\0') {
      if (!item.empty()) items.push_back(item);
      item.clear();
      if (*c == '\0') break;
    } else {
      item += *c;
    }
  }
  return items;
}

int main(int argc, char** argv) {
  std::string sweep = "quick";
  talvir::SweepOptions options;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&](const char* name) -> const char* {
      const std::size_t n = std::strlen(name);
      return arg.compare(0, n, name) == 0 ? argv[i] + n : nullptr;
    };
    if (const char* v = value("--sweep=")) {
      sweep = v;
    } else if (const char* v = value("--bursts=")) {
      options.bursts = std::atoi(v);
    } else if (const char* v = value("--codes=")) {
      options.codes.clear();
      for (const auto& c : SplitList(v)) options.codes.push_back(std::atoi(c.c_str()));
    } else if (const char* v = value("--channels=")) {
      options.channels = SplitList(v);
    } else if (const char* v = value("--snr=")) {
      for (const auto& x : SplitList(v)) options.snrs.push_back(std::atof(x.c_str()));
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (options.bursts < 1) {
    std::fprintf(stderr, "talvir_bench_modem: --bursts must be at least 1\n");
    return 2;
  }
  if ((sweep == "loss" || sweep == "wrong-frames") && options.snrs.empty()) {
    std::fprintf(stderr, "talvir_bench_modem: --sweep=%s needs --snr\n", sweep.c_str());
    return 2;
  }
  int restCount = static_cast<int>(rest.size());
  benchmark::Initialize(&restCount, rest.data());
  if (sweep != "table" && sweep != "loss" && sweep != "wrong-frames") benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("HfdlModem object: %.0f KiB\n", static_cast<double>(sizeof(talvir::HfdlModem)) / 1024.0);
  if (sweep == "quick" || sweep == "full" || sweep == "table") talvir::SensitivityTable(options);
  if (sweep == "quick" || sweep == "full" || sweep == "diagnose") talvir::Diagnose(sweep == "full" ? 50 : 20);
  if (sweep == "full" || sweep == "false-frames") talvir::FalseFrames(60.0);
  if (sweep == "loss") talvir::LossBreakdown(options);
  if (sweep == "wrong-frames") talvir::WrongFrames(options);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("\nPeak resident memory of this benchmark: %.1f MiB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}
