#pragma once
// The channels of an SDR band, one row each: the channel's frequency, its
// last burst, its last squitter (the ground station heard) and its frame
// counts. Refreshed on a window timer from copies the decoders hand
// over (counter snapshots, the squitter history's locked copy); choosing a
// row makes the window show that channel's status, constellation and
// waterfall.

#include <QTableWidget>
#include <QTimer>
#include <ctime>
#include <vector>

#include "common/hfdl_records.h"

namespace talvir {

class Application;

class ChannelList final : public QTableWidget {
 public:
  enum Column { kFrequency, kLastBurst, kLastSquitter, kGoodFrames, kFailedFrames, kColumns };

  ChannelList(Application& app, QWidget* parent);

  // Window thread; its timer calls it every second.
  void Refresh();

 private:
  // What the last refresh saw of a channel, to tell when it changed.
  struct Seen {
    int frames = 0;
    SquitterRecord squitter{};
    std::time_t lastBurst = 0;  // 0: none yet
    std::time_t lastSquitter = 0;
  };

  void SetCell(int row, Column column, const QString& text);

  Application& app_;
  std::vector<Seen> seen_;
  QTimer timer_;
};

}  // namespace talvir
