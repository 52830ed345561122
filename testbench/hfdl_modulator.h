#pragma once
// An HFDL burst as a ground station or an aircraft sends it, seen at the
// audio output of an SSB receiver: frame bytes, convolutional code,
// interleaver, Gray-mapped PSK with scrambling, the preamble and the probe
// symbols, pulse-shaped at 1800 Bd on a 1440 Hz carrier.

#include <complex>
#include <cstdint>
#include <span>
#include <vector>

#include "modem/hfdl_phy.h"

namespace talvir::testbench {

// Root-raised-cosine pulse: roll-off 0.35 (the receiver's matched filter
// passes 600 Hz flat and stops 1200 Hz), cut 8 symbols either side.
inline constexpr double kRrcRollOff = 0.35;
inline constexpr int kRrcSpanSymbols = 8;

struct HfdlBurstOptions {
  double startSeconds = 0.0;  // silence before the burst's first sample
  // The burst has the mean power of a tone of this peak: amplitude^2 / 2.
  float amplitude = 0.3f;
  double carrierOffsetHz = 0.0;  // added to the 1440 Hz carrier
  double carrierPhase = 0.0;     // radians at the burst's first sample
  int prekeySymbols = hfdl::kPrekeySymbols;
};

// The bits the decoder returns: the frame padded with zero bytes to the
// burst's byte count, least significant bit of each byte first, then zero
// bits up to the burst's Viterbi step count (4 more for codes 6 and 7).
// Throws std::invalid_argument for a bad rate code or a frame too long.
std::vector<uint8_t> FrameBits(std::span<const uint8_t> frame, int rateCode);

// The rate-1/2 constraint-7 code from state 0, two coded bits per input bit
// (one bit per byte in and out).
std::vector<uint8_t> ConvolutionalEncode(std::span<const uint8_t> bits);

// Coded bits in the order the receiver's deinterleaver reads them: the code
// of FrameBits, every coded bit twice for codes 6 and 7.
std::vector<uint8_t> CodedBurstBits(std::span<const uint8_t> frame, int rateCode);

// Coded bits (read order, one burst's worth) into the order they go on the
// air, which is the order the receiver writes its matrix in.
std::vector<uint8_t> Interleave(std::span<const uint8_t> codedBits, int rateCode);

// On-air bits into data symbols: bitsPerSymbol bits a symbol, the first the
// most significant of the constellation index, times the scrambler.
std::vector<hfdl::Point> MapDataSymbols(std::span<const uint8_t> airBits, int rateCode);

// Every symbol of the burst: prekey, preamble, data blocks with probes.
std::vector<hfdl::Point> BurstSymbols(std::span<const uint8_t> frame, int rateCode,
                                      int prekeySymbols = hfdl::kPrekeySymbols);

// Symbols of a burst of `rateCode` and its length on the air.
int BurstSymbolCount(int rateCode, int prekeySymbols = hfdl::kPrekeySymbols);

// The burst's audio at 48000 samples/s: startSeconds of silence, then the
// pulse-shaped symbols; the first symbol's centre lies kRrcSpanSymbols symbol
// periods after the silence.
std::vector<float> ModulateHfdlBurst(std::span<const uint8_t> frame, int rateCode,
                                     const HfdlBurstOptions& options = {});

// Pulse-shapes any symbol sequence the same way.
std::vector<float> ModulateSymbols(std::span<const hfdl::Point> symbols, const HfdlBurstOptions& options);

}  // namespace talvir::testbench
