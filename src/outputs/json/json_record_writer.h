#pragma once
// Writes every record as one JSON object a line to each of its destinations:
// stdout, files, UDP and TCP peers.

#include <memory>
#include <string>
#include <vector>

#include "common/record_sink.h"
#include "outputs/json/line_sink.h"
#include "outputs/json/record_json.h"
#include "outputs/log_files.h"

namespace talvir {

class JsonRecordWriter final : public RecordSink {
 public:
  explicit JsonRecordWriter(JsonFeeder feeder) : feeder_(std::move(feeder)) {}

  // Opens every target; false, with `error` saying which and why, when a
  // file cannot be opened. warn: as NetworkLineSink's.
  bool Open(const std::vector<OutputTarget>& targets, const NetworkLineSink::Warn& warn, std::string& error);
  // The stamps of HFDL records. Before decoding starts.
  void SetClock(UtcClock clock) { clock_ = std::move(clock); }

  void OnSquitter(const BurstInfo& burst, const SquitterRecord& squitter) override;
  void OnLpdu(const BurstInfo& burst, const LpduRecord& lpdu) override;
  void OnVhfAcars(const AcarsMessage& message) override;

  bool Empty() const { return sinks_.empty(); }
  // Each network destination's counts so far, "json:tcp:HOST:PORT N records
  // sent, M dropped (peer down K, too slow L)"; the drops only when there
  // are any. `onlyDropping`: only the destinations that dropped records.
  std::vector<std::string> PeerCounts(bool onlyDropping) const;

 private:
  JsonStamp Stamp() const { return {clock_ ? clock_() : std::time(nullptr), 0}; }
  void Write(const nlohmann::ordered_json& object);

  const JsonFeeder feeder_;
  UtcClock clock_;
  std::vector<std::unique_ptr<LineSink>> sinks_;
  std::vector<const NetworkLineSink*> network_;  // among sinks_, for their counts
};

}  // namespace talvir
