#include "ui/map_window.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <array>
#include <cmath>

namespace talvir {
namespace {

const QColor kSea(0x1c, 0x2e, 0x45);
const QColor kLand(0x3e, 0x4b, 0x3a);
const QColor kCoast(0x7d, 0x92, 0x74);
const QColor kGrid(0x2b, 0x42, 0x5e);
const QColor kHalo(0x00, 0x00, 0x00);
constexpr double kGridDegrees = 30.0;
constexpr int kLabelPointSize = 8;
constexpr double kDotRadius = 3.0;  // pixels
constexpr double kWheelStep = 1.25;  // zoom per notch of the wheel
constexpr double kWheelNotch = 120.0;

double WrapDegrees(double degrees) { return std::remainder(degrees, 360.0); }

}  // namespace

QColor ColourFromBgr(int bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

void MapLayer::SetLabelColour(int bgr) {
  labelColour_ = ColourFromBgr(bgr);
  window_.Changed();
}

void MapLayer::SetPointColour(int bgr) {
  pointColour_ = ColourFromBgr(bgr);
  window_.Changed();
}

void MapLayer::SetPoints(const std::vector<AtlasPoint>& points) {
  points_ = points;
  window_.Changed();
}

void MapLayer::SetName(std::string_view name) {
  fontName_ = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  window_.Changed();
}

void MapLayer::SetItalic(bool italic) {
  italic_ = italic;
  window_.Changed();
}

MapWindow::MapWindow(QPainterPath land) : land_(std::move(land)) {
  setWindowTitle(QStringLiteral("Map"));
  setMinimumSize(160, 100);
  setCursor(Qt::OpenHandCursor);
}

void MapWindow::EndUpdate() {
  updating_ = false;
  update();
}

void MapWindow::Changed() {
  if (!updating_) update();
}

void MapWindow::SetViewValue1(float value) {
  ApplyMapZoomValue(view_, value);
  update();
}

void MapWindow::SetViewValue2(float value) {
  ApplyMapCentreValue(view_, value);
  update();
}

void MapWindow::SetView(const MapView& view) {
  view_ = view;
  view_.Normalise();
  update();
}

AtlasLayer& MapWindow::AddLayer(int) {
  // Every kind the plotter asks for is a layer of labelled points.
  layers_.push_back(std::make_unique<MapLayer>(*this));
  Changed();
  return *layers_.back();
}

void MapWindow::RemoveAllLayers() {
  layers_.clear();
  Changed();
}

double MapWindow::PixelsPerDegree() const { return view_.zoom * width() / 360.0; }

QPointF MapWindow::ToWindow(double longitude, double latitude) const {
  const double ppd = PixelsPerDegree();
  return {width() / 2.0 + WrapDegrees(longitude - view_.centreLongitude) * ppd,
          height() / 2.0 - (latitude - view_.centreLatitude) * ppd};
}

QPointF MapWindow::ToDegrees(QPointF pixel) const {
  const double ppd = PixelsPerDegree();
  return {view_.centreLongitude + (pixel.x() - width() / 2.0) / ppd,
          view_.centreLatitude - (pixel.y() - height() / 2.0) / ppd};
}

void MapWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kSea);
  painter.setRenderHint(QPainter::Antialiasing);
  const double ppd = PixelsPerDegree();
  // The world, and its copies either side where the view runs past 180.
  for (const double copy : std::array{-360.0, 0.0, 360.0}) {
    QTransform degrees;
    degrees.translate(width() / 2.0, height() / 2.0);
    degrees.scale(ppd, -ppd);
    degrees.translate(copy - view_.centreLongitude, -view_.centreLatitude);
    painter.setTransform(degrees);
    painter.setPen(QPen(kGrid, 0));
    for (double longitude = -180.0; longitude < 180.0; longitude += kGridDegrees) {
      painter.drawLine(QPointF(longitude, -90.0), QPointF(longitude, 90.0));
    }
    for (double latitude = -60.0; latitude <= 60.0; latitude += kGridDegrees) {
      painter.drawLine(QPointF(-180.0, latitude), QPointF(180.0, latitude));
    }
    painter.setPen(QPen(kCoast, 0));
    painter.setBrush(kLand);
    painter.drawPath(land_);
  }
  painter.resetTransform();
  for (const std::unique_ptr<MapLayer>& layer : layers_) DrawLayer(painter, *layer);
}

void MapWindow::DrawLayer(QPainter& painter, const MapLayer& layer) const {
  QFont font(layer.fontName(), kLabelPointSize);
  font.setItalic(layer.italic());
  painter.setFont(font);
  const QFontMetricsF metrics(font);
  for (const AtlasPoint& point : layer.points()) {
    const QPointF at = ToWindow(point.longitude, point.latitude);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(layer.pointColour());
    painter.drawEllipse(at, kDotRadius, kDotRadius);
    const QString label = QString::fromUtf8(point.label.data(), static_cast<qsizetype>(point.label.size()));
    const QPointF text = at + QPointF(kDotRadius + 2.0, metrics.ascent() / 2.0 - 1.0);
    // A dark rim keeps the label readable over land and sea alike.
    painter.setPen(kHalo);
    for (const QPointF rim : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)}) {
      painter.drawText(text + rim, label);
    }
    painter.setPen(layer.labelColour());
    painter.drawText(text, label);
  }
}

void MapWindow::wheelEvent(QWheelEvent* event) {
  const QPointF place = ToDegrees(event->position());
  view_.ZoomAbout(std::pow(kWheelStep, event->angleDelta().y() / kWheelNotch), place.x(), place.y());
  update();
  event->accept();
}

void MapWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  dragFrom_ = event->position();
  setCursor(Qt::ClosedHandCursor);
}

void MapWindow::mouseMoveEvent(QMouseEvent* event) {
  if (!dragFrom_) return QWidget::mouseMoveEvent(event);
  const QPointF moved = event->position() - *dragFrom_;
  dragFrom_ = event->position();
  const double ppd = PixelsPerDegree();
  view_.Pan(-moved.x() / ppd, moved.y() / ppd);
  update();
}

void MapWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  dragFrom_.reset();
  setCursor(Qt::OpenHandCursor);
}

void MapWindow::closeEvent(QCloseEvent* event) {
  if (onClosed) onClosed();
  event->accept();
}

}  // namespace talvir
