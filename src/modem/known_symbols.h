#pragma once
// The receiver's tables of known BPSK symbols (+1 / -1), built at compile
// time from the sequences of the physical layer.

#include <array>

#include "modem/hfdl_phy.h"

namespace talvir::known {

using hfdl::BpskSign;

inline constexpr std::array<float, hfdl::kSequenceALength> kPreambleA = [] {
  std::array<float, hfdl::kSequenceALength> a{};
  for (int k = 0; k < hfdl::kSequenceALength; ++k) a[static_cast<std::size_t>(k)] = BpskSign(hfdl::PreambleABit(k));
  return a;
}();

using ModeSequence = std::array<float, hfdl::kModeSequenceLength>;
inline constexpr std::array<ModeSequence, hfdl::kRateCodes> kModeSequences = [] {
  std::array<ModeSequence, hfdl::kRateCodes> t{};
  for (int j = 0; j < hfdl::kRateCodes; ++j)
    for (int i = 0; i < hfdl::kModeSequenceLength; ++i)
      t[static_cast<std::size_t>(j)][static_cast<std::size_t>(i)] = BpskSign(hfdl::ModeSequenceBit(j, i));
  return t;
}();

inline constexpr std::array<float, hfdl::kProbeRepetitionLength> kProbeRepetition = [] {
  std::array<float, hfdl::kProbeRepetitionLength> p{};
  for (int k = 0; k < hfdl::kProbeRepetitionLength; ++k) p[static_cast<std::size_t>(k)] = BpskSign(hfdl::ProbeBit(k));
  return p;
}();

inline constexpr std::array<float, hfdl::kScramblerLength> kScrambler = [] {
  std::array<float, hfdl::kScramblerLength> s{};
  for (int k = 0; k < hfdl::kScramblerLength; ++k) s[static_cast<std::size_t>(k)] = BpskSign(hfdl::ScramblerBit(k));
  return s;
}();

}  // namespace talvir::known
