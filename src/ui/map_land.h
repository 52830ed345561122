#pragma once
// The coastlines the Map window draws: Natural Earth's 1:110m land, as
// scripts/make-world-map converts it, built into the program.

#include <QByteArray>
#include <QPainterPath>
#include <optional>

namespace talvir {

// The file built into the program.
QByteArray ShippedLandFile();

// The land as one path in degrees (x east, y north), its holes by the
// even-odd rule; nothing when the bytes are not a whole land file.
std::optional<QPainterPath> ParseLandFile(const QByteArray& bytes);

}  // namespace talvir
