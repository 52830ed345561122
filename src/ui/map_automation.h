#pragma once
// The map program the plotter drives, as a window of this program: the first
// start makes the Map window, later starts attach to it again. It cannot be
// made when the built-in coastlines do not load.

#include <QByteArray>
#include <functional>
#include <memory>

#include "outputs/publishing/atlas_automation.h"
#include "ui/map_land.h"
#include "ui/map_window.h"

namespace talvir {

class MapAutomation final : public AtlasAutomation {
 public:
  // land: the coastline file's bytes.
  explicit MapAutomation(std::function<QByteArray()> land = ShippedLandFile);

  std::unique_ptr<AtlasApplication> AttachOrStart() override;

  // Null until the first start that made it.
  MapWindow* window() const { return window_.get(); }

 private:
  const std::function<QByteArray()> land_;
  std::unique_ptr<MapWindow> window_;
};

}  // namespace talvir
