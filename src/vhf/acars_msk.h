#pragma once
// VHF ACARS on the air: 2400 bit/s MSK, tones 1200 Hz and 2400 Hz, as the
// demodulator sees it on a 48000 samples/s channel.

#include <array>
#include <cstdint>
#include <numbers>

#include "common/acars_characters.h"
#include "common/decoder_links.h"

namespace talvir {

// Mixer oscillator at 1800 Hz, midway between the tones: a float phase stepped
// per input sample and wrapped at 2*pi.
inline constexpr int kVhfMixerFrequency = 1800;          // Hz
inline constexpr float kVhfMixerPhaseStep = 0.2356195f;  // 2*pi * 1800 / 48000
// The float nearest 2*pi lies above it, so "phase >= 2*pi" in double precision
// and "phase >= kTwoPiFloat" agree for every float phase.
inline constexpr float kTwoPiFloat = 6.2831855f;

// DC blocker ahead of the mixer: its level follower has its corner at 20 Hz,
// settles to 1 % of a step within 40 ms and moves the tones by less than
// 0.002 dB and 1 degree.
inline constexpr double kVhfDcBlockerCornerHz = 20.0;
inline constexpr float kVhfDcBlockerPole =
    static_cast<float>(1.0 - 2.0 * std::numbers::pi * kVhfDcBlockerCornerHz / kSampleRate);
static_assert(kBlockFrames % 4 == 0, "the DC blocker steps four samples at a time");

inline constexpr int kVhfDecimation = 2;
inline constexpr int kVhfDecimatedRate = kSampleRate / kVhfDecimation;       // 24000 samples/s
inline constexpr int kVhfDecimatedPerBlock = kBlockFrames / kVhfDecimation;  // 1250
inline constexpr int kVhfSamplesPerBit = kVhfDecimatedRate / kAcarsBitRate;  // 10

// "*", SYN, SYN, SOH as they arrive, least significant bit first.
inline constexpr uint32_t kAcarsSyncSequence = 0x0116162A;
// Consecutive sample positions whose last 32 bits hold the sync, with at
// most one bit wrong.
inline constexpr int kVhfLockThreshold = 5;

// Tone tilts of the detector branches (VhfDetectorBranch): flat, and 2400 Hz
// lifted about 4 dB against 1200 Hz for receivers whose audio falls off
// towards the upper tone.
inline constexpr std::array<float, 2> kVhfBranchTilts = {0.0f, 0.75f};
// Coherent detection: a half-sine matched filter spanning the two bits
// around a boundary (19 samples at 24000/s), and the weight of each new bit
// in the carrier reference (about the last 16 bits count).
inline constexpr int kVhfMatchedFilterTaps = 2 * kVhfSamplesPerBit - 1;
inline constexpr int kVhfMatchedFilterDelay = (kVhfMatchedFilterTaps - 1) / 2;  // 9 samples
inline constexpr float kVhfCarrierAveraging = 0.0625f;
// Branches that decode the same block finish it within a few samples of each
// other; a byte's time is far shorter than any block.
inline constexpr int kVhfDuplicateWindow = 8 * kVhfSamplesPerBit;  // samples at 24000/s

inline constexpr int kAcarsMessageLimit = 300;  // bytes, SOH through ETX/ETB

// Low-pass before decimation: passes the two tones (+-600 Hz after mixing),
// 12.6 dB down at 2400 Hz. Symmetric: tap 63-k equals tap k.
inline constexpr int kVhfFilterTaps = 64;
inline constexpr std::array<float, kVhfFilterTaps / 2> kVhfFilterHalf = {
    0.000747f,  0.000851f,  0.000953f,  0.001036f,  0.001066f,  0.000995f,  0.000764f,  0.000318f,
    -0.000387f, -0.001371f, -0.002618f, -0.004067f, -0.005609f, -0.007086f, -0.008298f, -0.009012f,
    -0.008985f, -0.007981f, -0.005796f, -0.002282f, 0.002634f,  0.008933f,  0.016492f,  0.025086f,
    0.034396f,  0.044021f,  0.053507f,  0.062374f,  0.07015f,   0.076407f,  0.080791f,  0.083048f};

constexpr float VhfFilterTap(int k) {
  return kVhfFilterHalf[static_cast<std::size_t>(k < kVhfFilterTaps / 2 ? k : kVhfFilterTaps - 1 - k)];
}

}  // namespace talvir
