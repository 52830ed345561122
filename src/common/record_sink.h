#pragma once
// Where the decoders hand what they read, as records, beside the texts they
// print: the machine-readable outputs implement the kinds they want. Called on
// the worker thread; the records are valid during the call.

#include <vector>

#include "common/acars_record.h"
#include "common/decoder_links.h"
#include "common/hfdl_records.h"

namespace talvir {

class RecordSink {
 public:
  virtual ~RecordSink() = default;
  virtual void OnSquitter(const BurstInfo&, const SquitterRecord&) {}
  virtual void OnMpdu(const BurstInfo&, const MpduHeader&) {}
  // With the HFNPDU it carries: position report, frequency data, system
  // table packet or ACARS message.
  virtual void OnLpdu(const BurstInfo&, const LpduRecord&) {}
  virtual void OnVhfAcars(const AcarsMessage&) {}

  // For decoders no output listens to.
  static RecordSink& None() {
    static RecordSink none;
    return none;
  }
};

// Hands every record to each of several outputs, in the order added.
class RecordFanOut final : public RecordSink {
 public:
  void Add(RecordSink& sink) { sinks_.push_back(&sink); }
  bool Empty() const { return sinks_.empty(); }

  void OnSquitter(const BurstInfo& burst, const SquitterRecord& squitter) override {
    for (RecordSink* sink : sinks_) sink->OnSquitter(burst, squitter);
  }
  void OnMpdu(const BurstInfo& burst, const MpduHeader& header) override {
    for (RecordSink* sink : sinks_) sink->OnMpdu(burst, header);
  }
  void OnLpdu(const BurstInfo& burst, const LpduRecord& lpdu) override {
    for (RecordSink* sink : sinks_) sink->OnLpdu(burst, lpdu);
  }
  void OnVhfAcars(const AcarsMessage& message) override {
    for (RecordSink* sink : sinks_) sink->OnVhfAcars(message);
  }

 private:
  std::vector<RecordSink*> sinks_;
};

}  // namespace talvir
