#pragma once
// What part of the world the Map window shows, and the two numbers the
// settings keep of it between runs: the zoom, and the centre packed into one
// float as a cell of a 0.1-degree grid (an exact integer below 2^24).

namespace talvir {

inline constexpr double kMinMapZoom = 1.0;  // the whole world across the window
inline constexpr double kMaxMapZoom = 64.0;
// The grid the settings keep the centre on, in degrees.
inline constexpr double kMapCentreStep = 0.1;

struct MapView {
  double centreLongitude = 0.0;  // degrees, east positive, -180 to 180
  double centreLatitude = 0.0;   // degrees, north positive, -90 to 90
  double zoom = kMinMapZoom;

  // Longitude wrapped into -180 to 180, latitude and zoom clamped.
  void Normalise();
  // Moves the centre by this many degrees.
  void Pan(double longitude, double latitude);
  // Zooms by factor, keeping the place at (longitude, latitude) where it is
  // on the screen.
  void ZoomAbout(double factor, double longitude, double latitude);
};

// The first view value: the zoom. Zero, what settings never saved hold,
// restores the whole world; so does anything not a number.
float MapZoomValue(const MapView& view);
void ApplyMapZoomValue(MapView& view, float value);
// The second view value: the centre. Zero is 0 N 0 E; a value off the grid
// centres there too.
float MapCentreValue(const MapView& view);
void ApplyMapCentreValue(MapView& view, float value);

}  // namespace talvir
