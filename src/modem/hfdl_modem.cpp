#include "modem/hfdl_modem.h"

#include <algorithm>
#include <cmath>

#include "modem/burst_decode.h"
#include "modem/burst_report.h"
#include "modem/known_symbols.h"

namespace talvir {

namespace {

constexpr int kSps = hfdl::kSamplesPerSymbol;
// Window offsets of the preamble parts from the first A, in samples.
constexpr int kSecondA = kSps * hfdl::kSecondAStart;                  // 254
constexpr int kModeSequence = kSps * hfdl::kModeSequenceStart;        // 508
constexpr int kProbeRepetition = kSps * hfdl::kProbeRepetitionStart;  // 792
// Where reception reads its first block after the next window shift: the
// last probe copy of the repetition, symbol 516.
constexpr int kDataStartOffset = kSps * (hfdl::kFirstDataSymbol - hfdl::kProbeSymbols) - CandidatePath::kNewSamples;  // 942

constexpr int kProbeLag = kSps * hfdl::kProbeSymbols;  // the probe repeats every 30 samples
constexpr int kFrequencyTerms = 240;
constexpr float kCoherentScale = 0.01f;

}  // namespace

HfdlModem::HfdlModem(HfdlFrameReceiver& receiver, UiLink& ui, int hfChannel)
    : receiver_(receiver), ui_(ui), hfChannel_(hfChannel) {
  Reset();
}

void HfdlModem::Reset() {
  for (int i = 0; i < hfdl::kCandidatePaths; ++i) paths_[static_cast<std::size_t>(i)].Reset(i);
  resampler_.Reset();
}

void HfdlModem::ModemFeedSamples(std::span<const float> samples) {
  resampler_.Feed(samples, [this](Resampler::Block block) { ModemProcessBlock(block); });
}

void HfdlModem::ModemFeedBaseband(std::span<const Complex> samples) {
  baseband_.Feed(samples, [this](BasebandFrontEnd::Block block) { ModemProcessBlock(block); });
}

void HfdlModem::SlotClockReset() { clock_.Reset(); }

std::string HfdlModem::StatusLine() const {
  std::lock_guard lock(textLock_);
  return statusLine_;
}

ConstellationView HfdlModem::Constellation() const {
  ConstellationView view;
  view.points = ring_.Snapshot();
  view.detectedSlotIndex = DetectedSlotIndex();
  std::lock_guard lock(textLock_);
  view.modeText = modeText_;
  view.slotText = slotText_;
  return view;
}

void HfdlModem::ResetFrameCounters() {
  counters_.Reset();
  ui_.PostStatisticsUpdate(hfChannel_);
}

void HfdlModem::SetStatus(std::string line) {
  ui_.SetModemStatus(hfChannel_, line);
  std::lock_guard lock(textLock_);
  statusLine_ = std::move(line);
}

void HfdlModem::ModemProcessBlock(Resampler::Block block) {
  levels_.Measure(block, State() == ModemState::kReceiving);
  notch_.Process(block, notched_);
  for (auto& path : paths_) {
    path.MixAndNormalise(notched_);
    path.DecimateMatchedFilter();
  }
  if (State() == ModemState::kSearching)
    SearchStep();
  else
    ReceiveStep();
  clock_.Tick();
}

// --- Acquisition ------------------------------------------------------------------

void HfdlModem::SearchStep() {
  std::array<PreambleCandidate, hfdl::kCandidatePaths> found{};
  for (int i = 0; i < hfdl::kCandidatePaths; ++i)
    found[static_cast<std::size_t>(i)] =
        searchers_[static_cast<std::size_t>(i)].Search(paths_[static_cast<std::size_t>(i)].window());

  activePath_ = ChooseCandidatePath(found, activePath_);

  const int votes = ConfirmBurst(activePath_, found[static_cast<std::size_t>(activePath_)].position);
  if (votes < kMinVotes) return;
  detectedSlotIndex_.store(GetRawSlotIndex(), std::memory_order_relaxed);
  BurstBegin();
  state_.store(ModemState::kReceiving, std::memory_order_relaxed);
}

int HfdlModem::ConfirmBurst(int pathIndex, int position) {
  CandidatePath& path = paths_[static_cast<std::size_t>(pathIndex)];
  const float omega = EstimateFrequency(path.window(), position);
  path.SetRotatorIncrement(-omega);
  Complex* y = corrected_.data() + kGuard;
  path.FrequencyRotate(path.window().data(), y, CandidatePath::kWindowSize);

  const float magnitude = CoherentCorrelation(y + position);
  if (magnitude <= kMinCoherentPeak) return 0;

  int code = IdentifyMode(y + position + kModeSequence);
  // Slot 0 carries only squitters, but only a clock a squitter has set knows
  // where slot 0 is.
  if (clock_.Synchronised() && GetRawSlotIndex() == SlotClock::kRawSlotZero) code = hfdl::kSquitterRateCode;
  SetMode(code);

  const int votes = TrainOnPreamble(position, code);
  if (votes < kMinVotes) {
    voteRejections_.fetch_add(1, std::memory_order_relaxed);
    return votes;
  }

  std::copy(y, y + CandidatePath::kWindowSize, path.window().begin());
  ReportBurst(code, pathIndex, omega, votes, magnitude);
  return votes;
}

float HfdlModem::EstimateFrequency(const CandidatePath::Window& x, int position) const {
  const Complex* s = x.data() + position + kProbeRepetition;
  Complex sum{};
  for (int k = 0; k < kFrequencyTerms; ++k) sum += MulConj(s[k], s[k + kProbeLag]);
  return std::atan2(sum.imag(), sum.real()) / static_cast<float>(kProbeLag);
}

float HfdlModem::CoherentCorrelation(const Complex* y) const {
  Complex sum{};
  for (int k = 0; k < hfdl::kSequenceALength; ++k)
    sum += known::kPreambleA[static_cast<std::size_t>(k)] * y[kSps * k];
  return kCoherentScale * Norm(sum);
}

int HfdlModem::IdentifyMode(const Complex* y) const {
  int code = 0;
  float best = 0.0f;
  for (int j = 0; j < hfdl::kRateCodes; ++j) {
    const auto& t = known::kModeSequences[static_cast<std::size_t>(j)];
    Complex sum{};
    for (int k = 0; k < hfdl::kModeSequenceLength; ++k) sum += t[static_cast<std::size_t>(k)] * y[kSps * k];
    if (Norm(sum) > best) {
      best = Norm(sum);
      code = j;
    }
  }
  return code;
}

int HfdlModem::TrainOnPreamble(int position, int code) {
  const Complex* y = corrected_.data() + kGuard + position;
  for (auto& eq : equalisers_) {
    eq.Configure();
    eq.Reset();
  }
  for (int k = 0; k < hfdl::kSequenceALength; ++k)
    for (auto& eq : equalisers_) eq.TrainStep(y + kSps * k, known::kPreambleA[static_cast<std::size_t>(k)]);

  // The burst is taken when either equaliser agrees often enough.
  std::array<int, kEqualisers> agreeing{};
  for (int k = 0; k < hfdl::kSequenceALength; ++k)
    for (std::size_t e = 0; e < equalisers_.size(); ++e) {
      const Complex r = equalisers_[e].TrainStep(y + kSecondA + kSps * k, known::kPreambleA[static_cast<std::size_t>(k)]);
      if (r.real() > 0.0f) ++agreeing[e];
    }
  const int votes = *std::max_element(agreeing.begin(), agreeing.end());
  if (votes < kMinVotes) return votes;

  // The ring shows what the first equaliser makes of the rest of the preamble.
  ring_.Clear();
  const auto train = [&](const Complex* sample, float target) {
    ring_.Push(equalisers_[0].TrainStep(sample, target));
    for (std::size_t e = 1; e < equalisers_.size(); ++e) equalisers_[e].TrainStep(sample, target);
  };
  const auto& mode = known::kModeSequences[static_cast<std::size_t>(code)];
  for (int k = 0; k < hfdl::kModeSequenceLength; ++k) train(y + kModeSequence + kSps * k, mode[static_cast<std::size_t>(k)]);
  for (int k = 0; k < hfdl::kProbeRepetitionLength; ++k)
    train(y + kProbeRepetition + kSps * k, known::kProbeRepetition[static_cast<std::size_t>(k)]);

  dataStart_ = position + kDataStartOffset;
  return votes;
}

void HfdlModem::SetMode(int code) {
  deinterleaver_.SetMode(code);
  slicer_ = SlicerFor(code);
  rateCode_.store(code, std::memory_order_relaxed);
}

void HfdlModem::ReportBurst(int code, int path, float omega, int votes, float magnitude) {
  burstQuality_ = {CarrierErrorHz(omega, path), magnitude, votes};
  burstReport_ = FormatBurstStatus(GetCurrentSlot(), code, burstQuality_.frequencyErrorHz, magnitude, votes);
  SetStatus(burstReport_);
  SlotTexts texts = FormatSlotTexts(code, GetCurrentSlot());
  std::lock_guard lock(textLock_);
  modeText_ = std::move(texts.modeText);
  slotText_ = std::move(texts.slotText);
}

// --- Reception ---------------------------------------------------------------------

void HfdlModem::BurstBegin() {
  levels_.BurstBegin();
  scramblerPosition_ = 0;
  remainingSoftBits_ = hfdl::Rate(GetRateCode()).softBits;
  blockCounter_ = 0;
  deinterleaver_.Rewind();
}

void HfdlModem::ReceiveStep() {
  CandidatePath& path = paths_[static_cast<std::size_t>(activePath_)];
  Complex* newest = path.window().data() + CandidatePath::kNewestStart;
  path.FrequencyRotate(newest, newest, CandidatePath::kNewSamples);
  if (blockCounter_ == 0)
    backward_.Begin(std::span<const Complex, hfdl::kBlockPathSamples>(path.window().data() + dataStart_ - hfdl::kBlockPathSamples,
                                                                     hfdl::kBlockPathSamples));
  const int remaining =
      ModemBlock(std::span<const Complex, hfdl::kBlockPathSamples>(path.window().data() + dataStart_, hfdl::kBlockPathSamples));
  if (remaining >= 1) return;
  ModemCompleteFrame();
  state_.store(ModemState::kSearching, std::memory_order_relaxed);
  ui_.SetModemStatus(hfChannel_, kListeningText);
  std::lock_guard lock(textLock_);
  statusLine_ = kListeningText;
}

int HfdlModem::ModemBlock(std::span<const Complex, hfdl::kBlockPathSamples> samples) {
  ui_.PostConstellationUpdate(hfChannel_, 0);
  for (int i = 0; i < hfdl::kProbeSymbols; ++i) record_[static_cast<std::size_t>(i)] = known::kProbeRepetition[static_cast<std::size_t>(i)];
  for (int j = 0; j < hfdl::kDataSymbols; ++j)
    record_[static_cast<std::size_t>(hfdl::kProbeSymbols + j)] =
        known::kScrambler[static_cast<std::size_t>((scramblerPosition_ + j) % hfdl::kScramblerLength)];
  scramblerPosition_ = (scramblerPosition_ + hfdl::kDataSymbols) % hfdl::kScramblerLength;
  backward_.Store(samples);

  // Both equalisers take every block and keep what they made of it until
  // the burst is complete. The ring shows the one whose probes have lately
  // shown the cleaner signal.
  const int block = std::min(blockCounter_, hfdl::kMaxDataBlocks);
  ForwardBlock& kept = forward_[static_cast<std::size_t>(block)];
  std::size_t shown = kFollowing;
  const auto outputsOf = [&](std::size_t e) -> RlsEqualiser::Outputs& {
    return e == kFollowing ? following_.Data(block) : kept.steady;
  };
  for (std::size_t e = 0; e < equalisers_.size(); ++e) {
    outputsOf(e) = equalisers_[e].ProcessBlock(samples, record_);
    kept.scales[e] = equalisers_[e].DataScale();
    // The first data block (counter 1) starts the average.
    float& smoothed = smoothedSnr_[e];
    smoothed = blockCounter_ <= 1 ? kept.scales[e].Snr() : kSnrMemory * smoothed + (1.0f - kSnrMemory) * kept.scales[e].Snr();
    kept.smoothedSnr[e] = smoothed;
    if (smoothed > kept.smoothedSnr[shown]) shown = e;
  }
  following_.Fits(block) = equalisers_[kFollowing].LastProbeFits();
  // The first block's outputs belong to no data block.
  if (blockCounter_ > 0) {
    following_.SetScale(block, kept.scales[kFollowing]);
    const auto& rate = hfdl::Rate(GetRateCode());
    if (rate.modulation != hfdl::Modulation::k8psk)
      for (const Complex z : outputsOf(shown)) ring_.Push(z);
    remainingSoftBits_ -= hfdl::kDataSymbols * rate.bitsPerSymbol;
  }
  ++blockCounter_;
  return remainingSoftBits_;
}

// The following equaliser's two directions blended, or the steady one unless
// the blend's probes have lately shown a clearly cleaner signal.
void HfdlModem::SliceBlock(int block, int blocks, float& smoothedSnr) {
  const ForwardBlock& kept = forward_[static_cast<std::size_t>(block)];
  const DirectionBlend& blend = blends_[static_cast<std::size_t>(block)];
  smoothedSnr = block <= 1 ? blend.scale.Snr() : kSnrMemory * smoothedSnr + (1.0f - kSnrMemory) * blend.scale.Snr();
  // Data block k's scale is at k - 1.
  const auto around = [&](const auto& scales) {
    return MeanScale(std::span<const SymbolScale>(scales.data(), static_cast<std::size_t>(blocks)), block - 1, kScaleSpan);
  };
  if (smoothedSnr < kBlendMargin * kept.smoothedSnr[kSteady]) {
    const SymbolScale scale = around(steadyScales_);
    for (const Complex z : kept.steady) slicer_(z, scale, deinterleaver_);
    return;
  }
  const SymbolScale scale = around(blendScales_);
  const auto& forward = following_.Data(block);
  const auto& backward = backward_.Result().Data(block);
  for (std::size_t j = 0; j < forward.size(); ++j)
    slicer_(blend.forward * forward[j] + blend.backward * backward[j], scale, deinterleaver_);
}

void HfdlModem::SliceBurst(int blocks) {
  const EqualisedBurst& backward = backward_.Result();
  for (int k = 1; k <= blocks; ++k) {
    const auto at = static_cast<std::size_t>(k);
    blends_[at] =
        BlendDirections(following_.Scale(k), backward.Scale(k), following_.FitsAround(k), backward.FitsAround(k));
    blendScales_[at - 1] = blends_[at].scale;
    steadyScales_[at - 1] = forward_[at].scales[kSteady];
  }
  deinterleaver_.Rewind();
  float smoothedSnr = 0.0f;
  for (int k = 1; k <= blocks; ++k) SliceBlock(k, blocks, smoothedSnr);
}

// The canceller's outputs beat both equalisers' wherever the decisions are
// right, in noise as in fading, so they are taken throughout.
void HfdlModem::SliceDecided(int blocks) {
  const EqualisedBurst& heard = canceller_.Result();
  for (int k = 1; k <= blocks; ++k) decidedScales_[static_cast<std::size_t>(k - 1)] = heard.Scale(k);
  const auto scales = std::span<const SymbolScale>(decidedScales_.data(), static_cast<std::size_t>(blocks));
  deinterleaver_.Rewind();
  for (int k = 1; k <= blocks; ++k) {
    const SymbolScale scale = MeanScale(scales, k - 1, kScaleSpan);
    for (const Complex z : heard.Data(k)) slicer_(z, scale, deinterleaver_);
  }
}

int HfdlModem::DecodeInto(std::span<uint8_t, hfdl::kMaxFrameBytes> frame) {
  const int steps = DecodeBurst(deinterleaver_, viterbi_, bits_);
  return PackBitsLsbFirst(std::span<const uint8_t>(bits_.data(), static_cast<std::size_t>(steps)), frame);
}

int HfdlModem::TakeIfIntact(int bytes) {
  const auto frame = std::span<const uint8_t>(retry_.data(), static_cast<std::size_t>(bytes));
  if (!receiver_.FrameIntact(frame)) return 0;
  std::copy(frame.begin(), frame.end(), frame_.begin());
  return bytes;
}

int HfdlModem::DecodeAgain(int blocks) {
  for (int pass = 0; pass < kDecidedPasses; ++pass) {
    encoder_.Encode(
        std::span<const uint8_t>(bits_.data(), static_cast<std::size_t>(hfdl::Rate(GetRateCode()).viterbiSteps)),
        GetRateCode());
    canceller_.Run(backward_.Samples(), blocks, encoder_.Symbols());
    SliceDecided(blocks);
    if (const int bytes = TakeIfIntact(DecodeInto(retry_)); bytes > 0) return bytes;
  }
  return DecodeDetours();
}

int HfdlModem::DecodeDetours() {
  viterbi_.BeginMarginPass();
  FeedBurst(deinterleaver_, viterbi_);
  const int steps = viterbi_.Traceback(bits_);
  std::array<int, kDetours> cheapest{};
  const int found = viterbi_.CheapestDetours(cheapest);
  detour_ = bits_;
  for (const int step : std::span(cheapest).first(static_cast<std::size_t>(found))) {
    const int from = viterbi_.Detour(step, detour_);
    const auto bits = std::span<const uint8_t>(detour_.data(), static_cast<std::size_t>(steps));
    if (const int bytes = TakeIfIntact(PackBitsLsbFirst(bits, retry_)); bytes > 0) return bytes;
    std::copy(bits_.begin() + from, bits_.begin() + step, detour_.begin() + from);
  }
  return 0;
}

void HfdlModem::ModemCompleteFrame() {
  const int blocks = std::clamp(blockCounter_ - 1, 0, hfdl::kMaxDataBlocks);
  backward_.Run(blocks, equalisers_[kFollowing].weights());
  SliceBurst(blocks);
  int bytes = DecodeInto(frame_);
  if (!receiver_.FrameIntact(std::span<const uint8_t>(frame_.data(), static_cast<std::size_t>(bytes))))
    bytes = std::max(DecodeAgain(blocks), bytes);

  const int code = GetRateCode();
  const BurstInfo burst{code,
                        DetectedSlotIndex(),
                        GetCurrentSlot(),
                        burstReport_,
                        burstQuality_.frequencyErrorHz,
                        burstQuality_.magnitude,
                        burstQuality_.votes,
                        levels_.SignalDb(),
                        levels_.NoiseDb()};
  const bool decodedOk = receiver_.ReceiveFrame(std::span<const uint8_t>(frame_.data(), static_cast<std::size_t>(bytes)), burst);
  ui_.PostConstellationUpdate(hfChannel_, 1);
  counters_.CountFrame(code, GetCurrentSlot(), decodedOk);
  ui_.PostStatisticsUpdate(hfChannel_);
  deinterleaver_.Rewind();
}

}  // namespace talvir
