#pragma once
// Counts the ACARS messages (HFDL and VHF) on their way to the outputs, for
// the front ends' summaries. Every message reaches the ACARS item once.

#include <atomic>

#include "outputs/output_sinks.h"

namespace talvir {

class AcarsMessageCounter final : public AcarsOutputs {
 public:
  explicit AcarsMessageCounter(AcarsOutputs& next) : next_(next) {}

  void DdePublishAcars(std::string_view text) override {
    count_.fetch_add(1, std::memory_order_relaxed);
    next_.DdePublishAcars(text);
  }
  int Count() const { return count_.load(std::memory_order_relaxed); }

 private:
  AcarsOutputs& next_;
  std::atomic<int> count_{0};
};

}  // namespace talvir
