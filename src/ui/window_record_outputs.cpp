#include "ui/window_record_outputs.h"

#include <cstdio>

namespace talvir {

std::string OpenWindowRecordOutputs(const TalvirOptions& options, RecordOutputs& outputs) {
  // Peers warn from their sender threads; stderr takes a line at a time.
  // A channel of a band puts its own frequency into its records.
  return outputs.Open(options.records,
                      options.channels.DecodesBand() ? std::nullopt
                                                     : options.inputOptions.ChannelKhz(options.records.frequencyKhz),
                      [](const std::string& text) { std::fprintf(stderr, "talvir: json: %s\n", text.c_str()); });
}

void AttachWindowRecordOutputs(RecordOutputs& outputs, Application& app, CStatisticsDialog& statistics) {
  outputs.SetClock([&app] { return app.StampNow(); });
  statistics.SetFollowingText([&outputs] { return outputs.StatisticsText(); });
}

}  // namespace talvir
