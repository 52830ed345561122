#include "outputs/records/record_outputs.h"

namespace talvir {

std::string RecordOutputs::Open(const RecordOutputOptions& options, std::optional<double> channelKhz,
                                const NetworkLineSink::Warn& warn) {
  json_ = std::make_unique<JsonRecordWriter>(JsonFeeder{options.stationId.value_or(""), channelKhz});
  std::string error;
  if (!json_->Open(options.outputs, warn, error)) return error;
  if (!json_->Empty()) fanOut_.Add(*json_);
  if (options.sbsPort) {
    sbs_ = std::make_unique<SbsServer>();
    if (const std::string why = sbs_->Listen(options.sbsHost, *options.sbsPort); !why.empty()) {
      return "--sbs-port: cannot listen on " + why;
    }
    sbsHost_ = options.sbsHost;
    fanOut_.Add(*sbs_);
  }
  return {};
}

void RecordOutputs::SetClock(const UtcClock& clock) {
  if (json_) json_->SetClock(clock);
  if (sbs_) sbs_->SetClock(clock);
}

std::optional<std::string> RecordOutputs::SbsAddress() const {
  if (!sbs_) return std::nullopt;
  return sbsHost_ + " port " + std::to_string(sbs_->Port());
}

std::vector<std::string> RecordOutputs::DropReports() const {
  return json_ ? json_->PeerCounts(true) : std::vector<std::string>{};
}

std::string RecordOutputs::StatisticsText() const {
  std::vector<std::string> lines = json_ ? json_->PeerCounts(false) : std::vector<std::string>{};
  if (sbs_) lines.push_back("SBS " + *SbsAddress() + " " + std::to_string(sbs_->Clients()) + " clients");
  std::string text;
  for (const std::string& line : lines) text += "\r\n" + line + "\r\n";
  return text;
}

}  // namespace talvir
