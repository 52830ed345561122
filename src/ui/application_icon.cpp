#include "ui/application_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace talvir {
namespace {

constexpr const char* kIconResource = ":/icons/talvir.svg";
constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

}  // namespace

QIcon ApplicationIcon() {
  // Rendered here rather than through Qt's SVG icon plugin, so the package
  // depends on the library it needs and no plugin can go missing.
  QSvgRenderer renderer{QString::fromLatin1(kIconResource)};
  QIcon icon;
  if (!renderer.isValid()) return icon;
  for (const int size : kIconSizes) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace talvir
