#pragma once
// The constellation box's off-screen surface: the modem's recent equalised
// symbols around an eight-spoke star, with the burst's slot and sender on
// top and its rate and interleaver below.

#include <QImage>
#include <QString>

#include "modem/constellation_ring.h"

namespace talvir {

// A copy of what the modem showed when it posted the update.
struct ConstellationFrame {
  ConstellationRing::Points points{};
  QString topCaption;
  QString bottomCaption;
};

class ConstellationSurface {
 public:
  explicit ConstellationSurface(QSize size);

  void Draw(const ConstellationFrame& frame);
  const QImage& image() const { return image_; }

 private:
  QImage image_;
};

}  // namespace talvir
