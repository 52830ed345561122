#include "vhf/vhf_duplicate_filter.h"

#include <algorithm>

namespace talvir {

void VhfDuplicateFilter::PrintVhfAcars(std::span<const uint8_t> block, const VhfBlockQuality& quality) {
  const auto last = std::span<const uint8_t>(last_).first(static_cast<std::size_t>(lastLength_));
  const bool seenJustNow = now_ - lastPassedAt_ <= kVhfDuplicateWindow && std::ranges::equal(block, last);
  if (seenJustNow) return;
  // The assembler never hands over more than its buffer holds.
  const std::size_t length = std::min(block.size(), last_.size());
  std::copy_n(block.begin(), length, last_.begin());
  lastLength_ = static_cast<int>(length);
  lastPassedAt_ = now_;
  sink_.PrintVhfAcars(block, quality);
}

}  // namespace talvir
