#pragma once
// HFDL physical layer: every constant and table that both the receiver and a
// transmitter must agree on, written once. Header-only and constexpr so the
// test bench's modulator builds from the same numbers as the modem.
//
// Conventions shared by both sides:
// - All known sequences are BPSK: bit 0 is the point (1, 0), bit 1 is (-1, 0).
// - Burst layout in symbols from the first copy of sequence A: A (127), A
//   again (127), the mode sequence of the rate code (142), the probe sequence
//   nine times (135), then data blocks of 30 data symbols each followed by 15
//   probe symbols. Real bursts are preceded by an unmodulated carrier (prekey).
// - Data symbols are multiplied by the scrambler symbol (+1 / -1); data block k
//   uses scrambler positions 30k .. 30k+29 modulo 120.
// - Coded bits fill the interleaver matrix in read order (InterleaverCursor::
//   StepRead) and leave it, in write order (StepWrite), as symbol bits, most
//   significant bit of the constellation index first.
// - Codes 6 and 7 send every coded bit twice, back to back in read order.
// - The convolutional encoder starts in state 0 and is not flushed; the
//   decoder's traceback starts from state 0, so frames end in zero bits.

#include <array>
#include <complex>
#include <cstdint>
#include <span>
#include <string_view>

#include "common/hfdl_frame_timing.h"

namespace talvir::hfdl {

// --- Rates ------------------------------------------------------------------

inline constexpr int kSymbolRate = 1800;        // Bd
inline constexpr double kCarrierHz = 1440.0;    // audio carrier of an SSB receiver
inline constexpr int kInputRate = 48000;        // sound-card samples/s
inline constexpr int kInputPick = 5;            // every fifth input sample: 9600/s
inline constexpr int kZeroStuffFactor = 3;      // one sample + two zeros: 28800/s
inline constexpr int kResamplerDecimation = 4;  // one output per four pushes: 7200/s
inline constexpr int kMixRate = 7200;           // mixer samples/s
inline constexpr int kPathRate = 3600;          // path window samples/s
inline constexpr int kSamplesPerSymbol = 2;     // at kPathRate

// --- Blocks -----------------------------------------------------------------

inline constexpr int kProbeSymbols = 15;
inline constexpr int kDataSymbols = 30;
inline constexpr int kBlockSymbols = kProbeSymbols + kDataSymbols;         // 45: 25 ms
inline constexpr int kBlockPathSamples = kBlockSymbols * kSamplesPerSymbol;  // 90 at 3600/s
inline constexpr int kBlockMixSamples = 2 * kBlockPathSamples;               // 180 at 7200/s
inline constexpr double kBlockSeconds = 0.025;

// --- Known sequences (first symbol first) -------------------------------------

inline constexpr int kSequenceALength = 127;
inline constexpr std::string_view kPreambleSequenceA =
    "0101101110111100011101000101011100000011110110011000100100111001111100100000100011010101001101101001010000101100001100101111111";
inline constexpr std::string_view kBaseSequenceB =
    "0111011011110100010110010111110001000000110011011000111001110101110000100110000010101011010010010100111100100011010100001111111";
inline constexpr std::string_view kProbeSequence = "000100110101111";
inline constexpr std::string_view kScramblerSequence =
    "000100110001101111000100001001010000111110001100000101011110111111001101011010101110110010011001011011100010001101101000";

inline constexpr int kRateCodes = 8;
inline constexpr int kModeSequenceLength = 142;  // 127 symbols then the first 15 again
inline constexpr std::array<int, kRateCodes> kModeSequenceShift = {123, 9, 113, 93, 82, 103, 72, 61};
inline constexpr int kProbeRepetitions = 9;
inline constexpr int kProbeRepetitionLength = kProbeRepetitions * kProbeSymbols;  // 135
inline constexpr int kScramblerLength = 120;

static_assert(kPreambleSequenceA.size() == kSequenceALength);
static_assert(kBaseSequenceB.size() == kSequenceALength);
static_assert(kProbeSequence.size() == kProbeSymbols);
static_assert(kScramblerSequence.size() == kScramblerLength);

// Burst layout, in symbols from the start of the first A.
inline constexpr int kSecondAStart = kSequenceALength;                                   // 127
inline constexpr int kModeSequenceStart = 2 * kSequenceALength;                          // 254
inline constexpr int kProbeRepetitionStart = kModeSequenceStart + kModeSequenceLength;  // 396
inline constexpr int kFirstDataSymbol = kProbeRepetitionStart + kProbeRepetitionLength;  // 531
inline constexpr int kPrekeySymbols = 448;  // unmodulated carrier before the first A

constexpr int BitOf(std::string_view bits, int i) { return bits[static_cast<std::size_t>(i)] == '1' ? 1 : 0; }
// The BPSK value of a known-sequence bit.
constexpr float BpskSign(int bit) { return bit ? -1.0f : 1.0f; }

constexpr int PreambleABit(int k) { return BitOf(kPreambleSequenceA, k); }
constexpr int ProbeBit(int k) { return BitOf(kProbeSequence, k % kProbeSymbols); }
constexpr int ScramblerBit(int position) { return BitOf(kScramblerSequence, position % kScramblerLength); }
constexpr int ModeSequenceBit(int code, int i) {
  const int base = i < kSequenceALength ? i : i - kSequenceALength;
  return BitOf(kBaseSequenceB, (base + kModeSequenceShift[static_cast<std::size_t>(code)]) % kSequenceALength);
}

// --- Constellations (unit magnitude; index bits are the coded bits, MSB first,
// Gray mapped) -----------------------------------------------------------------

inline constexpr float kDiagonal = 0.7071f;  // the stored value, not sqrt(1/2)
using Point = std::complex<float>;
inline constexpr std::array<Point, 2> kBpskPoints = {Point{1, 0}, Point{-1, 0}};
inline constexpr std::array<Point, 4> kQpskPoints = {Point{1, 0}, Point{0, 1}, Point{0, -1}, Point{-1, 0}};
inline constexpr std::array<Point, 8> k8pskPoints = {
    Point{1, 0},          Point{kDiagonal, kDiagonal},   Point{-kDiagonal, kDiagonal}, Point{0, 1},
    Point{kDiagonal, -kDiagonal}, Point{0, -1}, Point{-1, 0}, Point{-kDiagonal, -kDiagonal}};

enum class Modulation { kBpsk, kQpsk, k8psk };

constexpr std::span<const Point> Constellation(Modulation modulation) {
  switch (modulation) {
    case Modulation::kQpsk:
      return kQpskPoints;
    case Modulation::k8psk:
      return k8pskPoints;
    case Modulation::kBpsk:
      break;
  }
  return kBpskPoints;
}

// --- Rate codes ---------------------------------------------------------------

struct RateParameters {
  Modulation modulation;
  int bitsPerSymbol;    // coded bits carried by one data symbol
  int repetition;       // 2 for 300 bps: every coded bit sent twice
  int columns;          // interleaver columns (40 rows)
  int columnStep;       // interleaver column step while writing
  int softBits;         // 40 * columns: soft bits of one burst
  int dataBlocks;       // 72 (1.8 s) or 168 (4.2 s)
  int viterbiSteps;     // softBits / (2 * repetition)
  int frameBytes;       // viterbiSteps / 8, rounded down
  int bitRate;          // bit/s
  bool longInterleaver; // 4.2 s: the burst spans two slots
  std::string_view shortText;
  std::string_view longText;  // ModeName
};

inline constexpr std::array<RateParameters, kRateCodes> kRateTable = {{
    {Modulation::k8psk, 3, 1, 162, 145, 6480, 72, 3240, 405, 1800, false, "1800bps 1.8s", "1800 bps 1.8 sec Interleaver"},
    {Modulation::k8psk, 3, 1, 378, 355, 15120, 168, 7560, 945, 1800, true, "1800bps 4.2s", "1800 bps 4.2 sec Interleaver"},
    {Modulation::kQpsk, 2, 1, 108, 91, 4320, 72, 2160, 270, 1200, false, "1200bps 1.8s", "1200 bps 1.8 sec Interleaver"},
    {Modulation::kQpsk, 2, 1, 252, 229, 10080, 168, 5040, 630, 1200, true, "1200bps 4.2s", "1200 bps 4.2 sec Interleaver"},
    {Modulation::kBpsk, 1, 1, 54, 37, 2160, 72, 1080, 135, 600, false, "600bps 1.8s", "600  bps 1.8 sec Interleaver"},
    {Modulation::kBpsk, 1, 1, 126, 103, 5040, 168, 2520, 315, 600, true, "600bps 4.2s", "600  bps 4.2 sec Interleaver"},
    {Modulation::kBpsk, 1, 2, 54, 37, 2160, 72, 540, 67, 300, false, "300bps 1.8s", "300  bps 1.8 sec Interleaver"},
    {Modulation::kBpsk, 1, 2, 126, 103, 5040, 168, 1260, 157, 300, true, "300bps 4.2s", "300  bps 4.2 sec Interleaver"},
}};

constexpr const RateParameters& Rate(int code) { return kRateTable[static_cast<std::size_t>(code)]; }

inline constexpr int kSquitterRateCode = 6;  // every burst in slot 0 is a squitter
inline constexpr int kMaxSoftBits = 15120;
inline constexpr int kMaxViterbiSteps = 7560;
inline constexpr int kMaxFrameBytes = 945;
inline constexpr int kMaxDataBlocks = 168;

// --- Interleaver ----------------------------------------------------------------

inline constexpr int kInterleaverRows = 40;
inline constexpr int kInterleaverMaxColumns = 378;
inline constexpr int kInterleaverReadRowStep = 9;

// One cursor walks the 40-row matrix; writing (receiver: soft bits in symbol
// order) and reading (receiver: in decoder order) step it differently.
struct InterleaverCursor {
  int row = 0;
  int column = 0;

  constexpr void StepWrite(const RateParameters& rate) {
    if (++row == kInterleaverRows) {
      row = 0;
      column = (column + 1) % rate.columns;
    }
    column = (column + rate.columnStep) % rate.columns;
  }
  constexpr void StepRead() {
    row = (row + kInterleaverReadRowStep) % kInterleaverRows;
    if (row == 0) ++column;
  }
};

// The read step (from the start of the matrix) that visits the cursor's
// cell: reading walks each column's rows in steps of 9, and 9 * 9 = 1 mod 40.
constexpr int ReadIndex(const InterleaverCursor& cell) {
  return kInterleaverRows * cell.column + (kInterleaverReadRowStep * cell.row) % kInterleaverRows;
}
static_assert((kInterleaverReadRowStep * kInterleaverReadRowStep) % kInterleaverRows == 1);

constexpr bool RateTableConsistent() {
  for (const auto& r : kRateTable) {
    if (r.softBits != kInterleaverRows * r.columns || r.dataBlocks > kMaxDataBlocks) return false;
    if (r.softBits != r.dataBlocks * kDataSymbols * r.bitsPerSymbol) return false;
    if (r.viterbiSteps != r.softBits / (2 * r.repetition) || r.frameBytes != r.viterbiSteps / 8) return false;
  }
  return true;
}
static_assert(RateTableConsistent());

// --- Convolutional code: rate 1/2, constraint length 7 --------------------------

inline constexpr int kViterbiStates = 64;
inline constexpr unsigned kPolynomialFirst = 0x5B;   // first coded bit
inline constexpr unsigned kPolynomialSecond = 0x79;  // second coded bit

constexpr int Parity(unsigned v) {
  int p = 0;
  for (; v; v &= v - 1) p ^= 1;
  return p;
}
// Encoder word: bit 6 the new input bit, bits 5..0 the state (bit 5 the most
// recent earlier input). Returns the next state.
constexpr int EncoderStep(int state, int inputBit, int& firstBit, int& secondBit) {
  const unsigned word = (static_cast<unsigned>(inputBit) << 6) | static_cast<unsigned>(state);
  firstBit = Parity(word & kPolynomialFirst);
  secondBit = Parity(word & kPolynomialSecond);
  return (inputBit << 5) | (state >> 1);
}

// --- Receiver front end -----------------------------------------------------------

inline constexpr int kResamplerTaps = 32;
// Symmetric: coefficient k equals coefficient 31 - k. Sum 1.00022.
inline constexpr std::array<float, kResamplerTaps / 2> kResamplerHalf = {
    -0.001083f, -0.000128f, 0.001536f, 0.003917f, 0.005847f, 0.004997f, -0.000833f, -0.011613f,
    -0.023448f, -0.028781f, -0.019008f, 0.011337f, 0.060789f, 0.119708f, 0.172721f, 0.204152f};

inline constexpr int kMatchedFilterTaps = 43;
// Symmetric about tap 21: coefficient k equals coefficient 42 - k.
inline constexpr std::array<float, kMatchedFilterTaps / 2 + 1> kMatchedFilterHalf = {
    0.0049718851f, -0.0012666126f, -0.0031235046f, -0.0036403718f, -0.0015730077f, 0.0016947346f,
    0.0028808648f, -0.00016138668f, -0.0055571599f, -0.0078196554f, -0.0022284188f, 0.0097014317f,
    0.018837456f,  0.013943402f,   -0.0084819123f, -0.037051924f,  -0.048241332f,  -0.019502431f,
    0.054413084f,  0.15321323f,    0.23810205f,    0.27155459f};

// Three candidate paths, local oscillators at 1390, 1440 and 1490 Hz.
inline constexpr int kCandidatePaths = 3;
inline constexpr std::array<double, kCandidatePaths> kPathOscillatorHz = {1390.0, 1440.0, 1490.0};
// 2 pi f / 7200, radians per mixer sample, as stored floats.
inline constexpr std::array<float, kCandidatePaths> kPathOscillatorIncrement = {1.2130039f, 1.2566371f, 1.3002703f};
inline constexpr float kTwoPiFloat = 6.2831855f;
inline constexpr double kTwoPi = 6.283185307179586;

// --- Slot clock ------------------------------------------------------------------

inline constexpr float kFrameSeconds = static_cast<float>(kSecondsPerFrame);
inline constexpr double kSlotSeconds = 2.461538;
inline constexpr double kNegativeSlotsPerSecond = -0.4062500761718893;  // -1 / kSlotSeconds
inline constexpr float kSlotClockTick = 0.025f;
inline constexpr float kSlotClockResetTime = -0.05f;

}  // namespace talvir::hfdl
