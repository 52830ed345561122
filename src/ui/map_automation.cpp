#include "ui/map_automation.h"

namespace talvir {
namespace {

// One hold on the Map window; letting it go leaves the window to the next.
class MapApplication final : public AtlasApplication {
 public:
  explicit MapApplication(MapWindow& window) : window_(window) {}

  // The window's place as the desktop gives it, frame not counted.
  void SetWindowLeft(int value) override { Place(&QRect::moveLeft, value); }
  void SetWindowTop(int value) override { Place(&QRect::moveTop, value); }
  void SetWindowWidth(int value) override { Place(&QRect::setWidth, value); }
  void SetWindowHeight(int value) override { Place(&QRect::setHeight, value); }
  void SetVisible(bool visible) override { window_.setVisible(visible); }
  AtlasMap& Map() override { return window_; }

 private:
  void Place(void (QRect::*change)(int), int value) {
    QRect place = window_.geometry();
    (place.*change)(value);
    window_.setGeometry(place);
  }

  MapWindow& window_;
};

}  // namespace

MapAutomation::MapAutomation(std::function<QByteArray()> land) : land_(std::move(land)) {}

std::unique_ptr<AtlasApplication> MapAutomation::AttachOrStart() {
  if (window_ == nullptr) {
    std::optional<QPainterPath> land = ParseLandFile(land_());
    if (!land) return nullptr;
    window_ = std::make_unique<MapWindow>(std::move(*land));
  }
  return std::make_unique<MapApplication>(*window_);
}

}  // namespace talvir
