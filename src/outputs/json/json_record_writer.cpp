#include "outputs/json/json_record_writer.h"

namespace talvir {

bool JsonRecordWriter::Open(const std::vector<OutputTarget>& targets, const NetworkLineSink::Warn& warn,
                            std::string& error) {
  for (const OutputTarget& target : targets) {
    switch (target.kind) {
      case OutputTarget::Kind::kStdout: sinks_.push_back(StreamLineSink::Stdout()); break;
      case OutputTarget::Kind::kFile: {
        auto file = StreamLineSink::OpenFile(target.path, error);
        if (!file) return false;
        sinks_.push_back(std::move(file));
        break;
      }
      case OutputTarget::Kind::kUdp:
      case OutputTarget::Kind::kTcp: {
        auto peer = std::make_unique<NetworkLineSink>(target, warn);
        network_.push_back(peer.get());
        sinks_.push_back(std::move(peer));
        break;
      }
    }
  }
  return true;
}

void JsonRecordWriter::OnSquitter(const BurstInfo& burst, const SquitterRecord& squitter) {
  Write(SquitterJson(feeder_, Stamp(), burst, squitter));
}

void JsonRecordWriter::OnLpdu(const BurstInfo& burst, const LpduRecord& lpdu) {
  Write(LpduJson(feeder_, Stamp(), burst, lpdu));
}

void JsonRecordWriter::OnVhfAcars(const AcarsMessage& message) { Write(VhfAcarsJson(feeder_, message)); }

void JsonRecordWriter::Write(const nlohmann::ordered_json& object) {
  if (sinks_.empty()) return;
  // Received bytes are named, never raw, so the text is valid UTF-8; replace
  // keeps a stray byte from throwing all the same.
  const std::string line = object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  for (const auto& sink : sinks_) sink->Send(line);
}

std::vector<std::string> JsonRecordWriter::PeerCounts(bool onlyDropping) const {
  std::vector<std::string> counts;
  for (const NetworkLineSink* peer : network_) {
    const DropCounts dropped = peer->Dropped();
    if (onlyDropping && dropped.Total() == 0) continue;
    std::string line = peer->Target().spec + " " + std::to_string(peer->Sent()) + " records sent";
    if (dropped.Total() > 0) {
      line += ", " + std::to_string(dropped.Total()) + " dropped (peer down " + std::to_string(dropped.peerDown) +
              ", too slow " + std::to_string(dropped.queueFull) + ")";
    }
    counts.push_back(std::move(line));
  }
  return counts;
}

}  // namespace talvir
