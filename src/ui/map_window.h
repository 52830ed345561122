#pragma once
// The "Map" window: a world map in plate carree with the point layers the
// plotter hands it, each point a dot in the layer's point colour with its
// label beside it in the layer's label colour and font. The wheel zooms about
// the pointer, dragging moves the map; the view is what the settings keep.

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "outputs/publishing/atlas_automation.h"
#include "ui/map_view.h"

namespace talvir {

class MapWindow;

// 0x00BBGGRR, as the plotter gives colours.
QColor ColourFromBgr(int bgr);

class MapLayer final : public AtlasLayer, public AtlasLabelFont {
 public:
  explicit MapLayer(MapWindow& window) : window_(window) {}

  // The map program's own style number; this map draws every style alike.
  void SetPointStyle(int) override {}
  void SetLabelColour(int bgr) override;
  AtlasLabelFont& LabelFont() override { return *this; }
  void SetPointColour(int bgr) override;
  void SetPoints(const std::vector<AtlasPoint>& points) override;
  void SetName(std::string_view name) override;
  void SetItalic(bool italic) override;

  QColor labelColour() const { return labelColour_; }
  QColor pointColour() const { return pointColour_; }
  const QString& fontName() const { return fontName_; }
  bool italic() const { return italic_; }
  const std::vector<AtlasPoint>& points() const { return points_; }

 private:
  MapWindow& window_;
  QColor labelColour_ = Qt::white;
  QColor pointColour_ = Qt::black;
  QString fontName_ = QStringLiteral("Arial");
  bool italic_ = false;
  std::vector<AtlasPoint> points_;
};

class MapWindow final : public QWidget, public AtlasMap, public AtlasLayers {
 public:
  explicit MapWindow(QPainterPath land);

  // AtlasMap
  void BeginUpdate() override { updating_ = true; }
  void EndUpdate() override;
  // Modes of the map program's own, which this map has one of each.
  void SetPlotMode(int) override {}
  void SetStartMode(int) override {}
  float ViewValue1() override { return MapZoomValue(view_); }
  void SetViewValue1(float value) override;
  float ViewValue2() override { return MapCentreValue(view_); }
  void SetViewValue2(float value) override;
  AtlasLayers& Layers() override { return *this; }

  // AtlasLayers
  AtlasLayer& AddLayer(int kind) override;
  void RemoveAllLayers() override;

  // A layer changed: drawn again unless an update is open.
  void Changed();

  const MapView& view() const { return view_; }
  void SetView(const MapView& view);
  const std::vector<std::unique_ptr<MapLayer>>& layers() const { return layers_; }
  // Where a place is drawn, in the window's pixels (its copy 360 degrees to
  // the west or east when that one is nearer the middle).
  QPointF ToWindow(double longitude, double latitude) const;
  // The place under a window pixel.
  QPointF ToDegrees(QPointF pixel) const;

  // The user closed the window; it is hidden, not destroyed.
  std::function<void()> onClosed;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  double PixelsPerDegree() const;
  void DrawLayer(QPainter& painter, const MapLayer& layer) const;

  const QPainterPath land_;
  MapView view_;
  std::vector<std::unique_ptr<MapLayer>> layers_;
  bool updating_ = false;
  std::optional<QPointF> dragFrom_;
};

}  // namespace talvir
