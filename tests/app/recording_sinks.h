#pragma once
// A decoder stand-in that records, in one shared log, which decoder got which
// samples.

#include <string>
#include <vector>

#include "app/channel_router.h"

namespace talvir::testing {

struct SinkCall {
  std::string sink;
  std::vector<float> samples;
};

class RecordingSink : public HfSampleSink, public VhfBlockSink {
 public:
  RecordingSink(std::string name, std::vector<SinkCall>& log) : name_(std::move(name)), log_(log) {}
  void ModemFeedSamples(std::span<const float> samples) override { Record(samples); }
  void ProcessBlock(std::span<const float> samples) override { Record(samples); }

 private:
  void Record(std::span<const float> samples) { log_.push_back({name_, {samples.begin(), samples.end()}}); }
  std::string name_;
  std::vector<SinkCall>& log_;
};

}  // namespace talvir::testing
