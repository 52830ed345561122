#pragma once
// The last 250 equalised symbols, for the constellation display. The worker
// pushes; the window thread takes locked copies.

#include <array>
#include <mutex>

#include "modem/complex_math.h"

namespace talvir {

class ConstellationRing {
 public:
  static constexpr int kSize = 250;
  using Points = std::array<Complex, kSize>;

  void Clear() {
    std::lock_guard lock(lock_);
    points_.fill({});
    write_ = 0;
  }
  void Push(Complex z) {
    std::lock_guard lock(lock_);
    points_[static_cast<std::size_t>(write_)] = z;
    write_ = (write_ + 1) % kSize;
  }
  Points Snapshot() const {
    std::lock_guard lock(lock_);
    return points_;
  }

 private:
  mutable std::mutex lock_;
  Points points_{};
  int write_ = 0;
};

}  // namespace talvir
