#pragma once
// The "DxAtlas" check box's work: switched on, the Map window is attached or
// started, placed and shown with the saved view, and everything is published
// to it at once; switched off (or the window closed by its user, or the
// program ending) the view goes into the settings and the window hides.

#include <functional>

#include "outputs/publishing/atlas_plotter.h"
#include "ui/map_automation.h"

namespace talvir {

class Application;

class MapOutput {
 public:
  // switchedOff: the user closed the Map window, which switched the map off.
  // land: the coastline file's bytes.
  MapOutput(Application& app, std::function<void()> switchedOff,
            std::function<QByteArray()> land = ShippedLandFile);
  ~MapOutput();
  MapOutput(const MapOutput&) = delete;
  MapOutput& operator=(const MapOutput&) = delete;

  // False, after the warning, when there is no map window.
  bool SwitchOn();
  void SwitchOff();
  bool On() const { return plotter_.InUse(); }

  // Null until the first start that made it.
  MapWindow* window() const { return automation_.window(); }

 private:
  Application& app_;
  const std::function<void()> switchedOff_;
  MapAutomation automation_;
  AtlasPlotter plotter_;
};

}  // namespace talvir
