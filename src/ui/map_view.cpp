#include "ui/map_view.h"

#include <algorithm>
#include <cmath>

namespace talvir {
namespace {

constexpr double kCellsPerDegree = 1.0 / kMapCentreStep;
constexpr double kLongitudeCells = 360.0 * kCellsPerDegree + 1.0;  // -180 to 180 inclusive
constexpr double kLatitudeCells = 180.0 * kCellsPerDegree + 1.0;
// The cell of 0 N 0 E, so that a never-saved 0.0 means the middle of the map.
constexpr double kCentreCell = 90.0 * kCellsPerDegree * kLongitudeCells + 180.0 * kCellsPerDegree;

double WrapLongitude(double longitude) {
  const double wrapped = std::remainder(longitude, 360.0);  // -180 to 180
  return wrapped == -180.0 ? 180.0 : wrapped;
}

}  // namespace

void MapView::Normalise() {
  if (!std::isfinite(centreLongitude)) centreLongitude = 0.0;
  if (!std::isfinite(centreLatitude)) centreLatitude = 0.0;
  if (!std::isfinite(zoom)) zoom = kMinMapZoom;
  centreLongitude = WrapLongitude(centreLongitude);
  centreLatitude = std::clamp(centreLatitude, -90.0, 90.0);
  zoom = std::clamp(zoom, kMinMapZoom, kMaxMapZoom);
}

void MapView::Pan(double longitude, double latitude) {
  centreLongitude += longitude;
  centreLatitude += latitude;
  Normalise();
}

void MapView::ZoomAbout(double factor, double longitude, double latitude) {
  const double before = zoom;
  zoom = std::clamp(zoom * factor, kMinMapZoom, kMaxMapZoom);
  // The place stays under the pointer: its distance from the centre shrinks
  // by the zoom's change.
  const double kept = before / zoom;
  centreLongitude = longitude - (longitude - centreLongitude) * kept;
  centreLatitude = latitude - (latitude - centreLatitude) * kept;
  Normalise();
}

float MapZoomValue(const MapView& view) { return static_cast<float>(view.zoom); }

void ApplyMapZoomValue(MapView& view, float value) {
  view.zoom = value == 0.0f ? kMinMapZoom : static_cast<double>(value);
  view.Normalise();
}

float MapCentreValue(const MapView& view) {
  const double longitudeCell = std::round((view.centreLongitude + 180.0) * kCellsPerDegree);
  const double latitudeCell = std::round((view.centreLatitude + 90.0) * kCellsPerDegree);
  return static_cast<float>(latitudeCell * kLongitudeCells + longitudeCell - kCentreCell);
}

void ApplyMapCentreValue(MapView& view, float value) {
  const double cell = std::round(static_cast<double>(value)) + kCentreCell;
  if (!std::isfinite(cell) || cell < 0.0 || cell >= kLongitudeCells * kLatitudeCells) {
    view.centreLongitude = 0.0;
    view.centreLatitude = 0.0;
  } else {
    const double latitudeCell = std::floor(cell / kLongitudeCells);
    view.centreLatitude = latitudeCell / kCellsPerDegree - 90.0;
    view.centreLongitude = (cell - latitudeCell * kLongitudeCells) / kCellsPerDegree - 180.0;
  }
  view.Normalise();
}

}  // namespace talvir
