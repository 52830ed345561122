#pragma once
// What the decoders publish to the outside, routed: aircraft lines and ACARS
// texts to the live feed, the aircraft table to the KML file, and the plot to
// the map when a front end has one. Built before the decoders that call it;
// the KML writer and the map, which read the decoders' stores, are attached
// once those exist.

#include "outputs/output_sinks.h"
#include "outputs/publishing/atlas_plotter.h"
#include "outputs/publishing/dde_server.h"
#include "outputs/publishing/kml_writer.h"

namespace talvir {

class ExternalOutputs final : public AircraftOutputs, public AcarsOutputs {
 public:
  explicit ExternalOutputs(DdeServer& dde) : dde_(dde) {}

  // Before decoding starts.
  void AttachKml(KmlWriter* kml) { kml_ = kml; }
  // The window's map; null detaches it. On the window thread.
  void AttachAtlas(AtlasPlotter* atlas) { atlas_ = atlas; }

  void DdePublishAircraft(const AircraftRecord& record) override { dde_.DdePublishAircraft(record); }
  void DdePublishAcars(std::string_view text) override { dde_.DdePublishAcars(text); }
  void PlotAircraft(std::span<const AircraftPlotEntry> aircraft) override {
    if (atlas_ != nullptr) atlas_->DxAtlasPlotAircraft(aircraft);
  }
  void PlotGroundStations() override {
    if (atlas_ != nullptr) atlas_->DxAtlasPlotGroundStations();
  }
  void WriteAircraftKml(std::span<const AircraftRecord> table) override {
    if (kml_ != nullptr) kml_->KmlWriteAircraft(table);
  }

 private:
  DdeServer& dde_;
  KmlWriter* kml_ = nullptr;
  AtlasPlotter* atlas_ = nullptr;
};

}  // namespace talvir
