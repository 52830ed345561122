#pragma once
// The map program as the plotter drives it: an application with a window, a
// map with its view and a collection of point layers, each layer with a
// label colour and font. A backend (the desktop program's Map window) or a
// test's recording fake implements it. Values whose meaning is the map's own
// are passed through as the map program defines them. Any call may throw
// AtlasError when the map went away.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace talvir {

struct AtlasError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// One labelled point, in degrees (north and east positive).
struct AtlasPoint {
  float longitude = 0;
  float latitude = 0;
  std::string label;
  bool operator==(const AtlasPoint&) const = default;
};

class AtlasLabelFont {
 public:
  virtual ~AtlasLabelFont() = default;
  virtual void SetName(std::string_view name) = 0;
  virtual void SetItalic(bool italic) = 0;
};

class AtlasLayer {
 public:
  virtual ~AtlasLayer() = default;
  virtual void SetPointStyle(int value) = 0;
  virtual void SetLabelColour(int bgr) = 0;  // 0x00BBGGRR
  virtual AtlasLabelFont& LabelFont() = 0;
  virtual void SetPointColour(int bgr) = 0;  // 0x00BBGGRR
  virtual void SetPoints(const std::vector<AtlasPoint>& points) = 0;
};

class AtlasLayers {
 public:
  virtual ~AtlasLayers() = default;
  // The new layer stays valid until the layers are removed.
  virtual AtlasLayer& AddLayer(int kind) = 0;
  virtual void RemoveAllLayers() = 0;
};

class AtlasMap {
 public:
  virtual ~AtlasMap() = default;
  // Drawing waits from BeginUpdate to EndUpdate.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual void SetPlotMode(int value) = 0;
  virtual void SetStartMode(int value) = 0;
  // The view: two values the map defines, kept in the settings between runs.
  virtual float ViewValue1() = 0;
  virtual void SetViewValue1(float value) = 0;
  virtual float ViewValue2() = 0;
  virtual void SetViewValue2(float value) = 0;
  virtual AtlasLayers& Layers() = 0;
};

class AtlasApplication {
 public:
  virtual ~AtlasApplication() = default;
  virtual void SetWindowLeft(int value) = 0;
  virtual void SetWindowTop(int value) = 0;
  virtual void SetWindowWidth(int value) = 0;
  virtual void SetWindowHeight(int value) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual AtlasMap& Map() = 0;
};

// Attaches to a running map or starts one; null when neither works.
class AtlasAutomation {
 public:
  virtual ~AtlasAutomation() = default;
  virtual std::unique_ptr<AtlasApplication> AttachOrStart() = 0;
};

}  // namespace talvir
