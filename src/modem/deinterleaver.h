#pragma once
// The block deinterleaver: 40 rows by up to 378 columns of soft bits, with
// one cursor that writing (in symbol order) and reading (in decoder order)
// step differently.

#include <array>

#include "modem/hfdl_phy.h"

namespace talvir {

class Deinterleaver {
 public:
  // Geometry of the rate code; the cursor is not moved.
  void SetMode(int rateCode) { rate_ = &hfdl::Rate(rateCode); }
  void Rewind() { cursor_ = {}; }

  void Write(float v) {
    At(cursor_) = v;
    cursor_.StepWrite(*rate_);
  }
  float Read() {
    const float v = At(cursor_);
    cursor_.StepRead();
    return v;
  }

  const hfdl::InterleaverCursor& cursor() const { return cursor_; }
  float Value(int row, int column) const {
    return matrix_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
  }
  const hfdl::RateParameters& rate() const { return *rate_; }

 private:
  // A full read of the mode's soft bits leaves the cursor one column past the
  // last; keep any further access inside the matrix.
  float& At(const hfdl::InterleaverCursor& c) {
    const int column = c.column < rate_->columns ? c.column : c.column % rate_->columns;
    return matrix_[static_cast<std::size_t>(c.row)][static_cast<std::size_t>(column)];
  }

  std::array<std::array<float, hfdl::kInterleaverMaxColumns>, hfdl::kInterleaverRows> matrix_{};
  hfdl::InterleaverCursor cursor_{};
  const hfdl::RateParameters* rate_ = &hfdl::Rate(0);
};

}  // namespace talvir
