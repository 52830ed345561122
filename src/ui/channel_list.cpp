#include "ui/channel_list.h"

#include <QHeaderView>
#include <algorithm>

#include "app/application.h"
#include "app/channel_options.h"
#include "common/time_of_day.h"

namespace talvir {
namespace {

// Rows a glance takes in; more scroll.
constexpr int kVisibleRows = 8;
constexpr std::chrono::seconds kRefreshPeriod{1};

// "hh:mm:ss" UTC; empty for never.
QString ClockText(std::time_t when) {
  if (when == 0) return {};
  const int seconds = TimeOfDay(when);
  return QString::asprintf("%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

bool SameSquitter(const SquitterRecord& a, const SquitterRecord& b) {
  return a.station1Id == b.station1Id && a.frameIndex == b.frameIndex && a.station1Utc == b.station1Utc;
}

}  // namespace

ChannelList::ChannelList(Application& app, QWidget* parent)
    : QTableWidget(app.HfChannelCount(), kColumns, parent), app_(app), seen_(app.HfChannelCount()) {
  setHorizontalHeaderLabels({QStringLiteral("Channel"), QStringLiteral("Last burst"),
                             QStringLiteral("Last squitter"), QStringLiteral("Good"), QStringLiteral("Failed")});
  verticalHeader()->hide();
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  horizontalHeader()->setSectionResizeMode(kLastSquitter, QHeaderView::Stretch);
  const std::span<const double> dials = app.HfChannelDials();
  for (int row = 0; row < rowCount(); ++row) {
    const auto index = static_cast<std::size_t>(row);
    SetCell(row, kFrequency, QString::fromStdString(index < dials.size() ? HfdlChannelName(dials[index]) : ""));
    for (const Column column : {kGoodFrames, kFailedFrames}) SetCell(row, column, QStringLiteral("0"));
  }
  resizeColumnsToContents();
  const int rows = std::min(rowCount(), kVisibleRows);
  setFixedHeight(horizontalHeader()->sizeHint().height() + rows * verticalHeader()->defaultSectionSize() +
                 2 * frameWidth());
  selectRow(app.ShownHfChannel());
  connect(this, &QTableWidget::itemSelectionChanged, this, [this] {
    if (const QList<QTableWidgetItem*> chosen = selectedItems(); !chosen.isEmpty()) {
      app_.ShowHfChannel(chosen.front()->row());
    }
  });
  connect(&timer_, &QTimer::timeout, this, [this] { Refresh(); });
  timer_.start(kRefreshPeriod);
}

void ChannelList::SetCell(int row, Column column, const QString& text) {
  QTableWidgetItem* cell = item(row, column);
  if (cell == nullptr) {
    cell = new QTableWidgetItem;
    if (column == kGoodFrames || column == kFailedFrames) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setItem(row, column, cell);
  }
  if (cell->text() != text) cell->setText(text);
}

void ChannelList::Refresh() {
  const std::time_t now = app_.StampNow();
  for (int row = 0; row < rowCount(); ++row) {
    Seen& seen = seen_[static_cast<std::size_t>(row)];
    const HfdlChannel& channel = app_.hfChannel(row);
    const FrameCounters::Values counts = channel.modem.Counters();
    const int frames = counts[FrameCounters::kAllFrames];
    const int failed = counts[FrameCounters::kAllFailed];
    if (frames > seen.frames) seen.lastBurst = now;  // fewer: the counters were reset
    seen.frames = frames;
    const SquitterRecord latest = channel.decoders.decoder.Squitters().latest;
    if (latest.crcOk == 1 && !SameSquitter(latest, seen.squitter)) seen.lastSquitter = now;
    seen.squitter = latest;
    SetCell(row, kLastBurst, ClockText(seen.lastBurst));
    SetCell(row, kLastSquitter,
            seen.lastSquitter == 0
                ? QString()
                : ClockText(seen.lastSquitter) + QStringLiteral("  %1 ").arg(latest.station1Id) +
                      QString::fromStdString(app_.shared().stations.GroundStationName(latest.station1Id)));
    SetCell(row, kGoodFrames, QString::number(frames - failed));
    SetCell(row, kFailedFrames, QString::number(failed));
  }
}

}  // namespace talvir
