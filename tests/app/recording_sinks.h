#pragma once
// Decoder stand-ins that record, in one shared log, which decoder got which
// samples.

#include <string>
#include <vector>

#include "app/channel_router.h"

namespace talvir::testing {

struct SinkCall {
  std::string sink;
  std::vector<float> samples;
};

class RecordingHfSink : public HfSampleSink {
 public:
  explicit RecordingHfSink(std::vector<SinkCall>& log) : log_(log) {}
  void ModemFeedSamples(std::span<const float> samples) override {
    log_.push_back({"hf", {samples.begin(), samples.end()}});
  }

 private:
  std::vector<SinkCall>& log_;
};

class RecordingVhfSink : public VhfBlockSink {
 public:
  RecordingVhfSink(std::string name, std::vector<SinkCall>& log) : name_(std::move(name)), log_(log) {}
  void ProcessBlock(std::span<const float> samples) override {
    log_.push_back({name_, {samples.begin(), samples.end()}});
  }

 private:
  std::string name_;
  std::vector<SinkCall>& log_;
};

}  // namespace talvir::testing
