#pragma once
// Keeps every record the decoders hand over, in order.

#include <vector>

#include "common/record_sink.h"

namespace talvir::testing {

struct RecordingRecordSink : RecordSink {
  void OnSquitter(const BurstInfo& burst, const SquitterRecord& record) override {
    bursts.push_back(burst);
    squitters.push_back(record);
  }
  void OnMpdu(const BurstInfo&, const MpduHeader& header) override { mpdus.push_back(header); }
  void OnLpdu(const BurstInfo& burst, const LpduRecord& record) override {
    bursts.push_back(burst);
    lpdus.push_back(record);
  }
  void OnVhfAcars(const AcarsMessage& message) override { vhf.push_back(message); }

  std::vector<BurstInfo> bursts;
  std::vector<SquitterRecord> squitters;
  std::vector<MpduHeader> mpdus;
  std::vector<LpduRecord> lpdus;
  std::vector<AcarsMessage> vhf;
};

}  // namespace talvir::testing
