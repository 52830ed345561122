#pragma once
// The record outputs a command line asks for (JSON destinations, the
// Basestation server), opened together and handed to the decoders as one
// record sink. Both programs own one; it must outlive the application whose
// worker writes to it.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/record_sink.h"
#include "outputs/json/json_record_writer.h"
#include "outputs/log_files.h"
#include "outputs/records/record_output_options.h"
#include "outputs/sbs/sbs_server.h"

namespace talvir {

class RecordOutputs {
 public:
  // Opens every destination of `options`; `channelKhz` is the HFDL channel's
  // dial the records carry. Returns "" or what cannot be opened, as a line
  // for the user. warn: says once that a peer's records are being dropped.
  std::string Open(const RecordOutputOptions& options, std::optional<double> channelKhz,
                   const NetworkLineSink::Warn& warn);

  // What the decoders hand their records to; none when nothing was asked.
  RecordSink* Sink() { return fanOut_.Empty() ? nullptr : &fanOut_; }
  // The stamps of the records. Before decoding starts.
  void SetClock(const UtcClock& clock);

  // The Basestation server's port and address, when it listens.
  std::optional<std::string> SbsAddress() const;
  // The network peers that dropped records, one line each.
  std::vector<std::string> DropReports() const;
  // A line for each network peer and the Basestation server (what was sent
  // and dropped, how many clients), to follow the frame counts of the
  // Statistics window: "" when there are none, else each after a blank line.
  std::string StatisticsText() const;

 private:
  std::unique_ptr<JsonRecordWriter> json_;
  std::unique_ptr<SbsServer> sbs_;
  std::string sbsHost_;
  RecordFanOut fanOut_;
};

}  // namespace talvir
