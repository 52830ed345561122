#pragma once
// Where the decoders hand what they read, as records, beside the texts they
// print: the machine-readable outputs implement the kinds they want. Called on
// the worker thread; the records are valid during the call.

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

}  // namespace talvir
