#include "ui/map_land.h"

#include <QFile>
#include <cstdint>
#include <string_view>

namespace talvir {
namespace {

constexpr std::string_view kLandMagic = "TLVLAND1";
constexpr double kDegreesPerUnit = 0.01;
constexpr std::uint32_t kMaxRingPoints = 1u << 20;

// Reads little-endian numbers, refusing to run past the end.
class LandReader {
 public:
  explicit LandReader(const QByteArray& bytes) : bytes_(bytes) {}
  bool Skip(std::string_view expected) {
    if (!Has(expected.size()) || std::string_view(bytes_.constData() + at_, expected.size()) != expected) return false;
    at_ += expected.size();
    return true;
  }
  std::optional<std::uint32_t> U32() {
    if (!Has(4)) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | Byte(at_ + i);
    at_ += 4;
    return value;
  }
  std::optional<double> Degrees() {
    if (!Has(2)) return std::nullopt;
    const auto value = static_cast<std::int16_t>(Byte(at_) | Byte(at_ + 1) << 8);
    at_ += 2;
    return value * kDegreesPerUnit;
  }
  bool AtEnd() const { return at_ == static_cast<std::size_t>(bytes_.size()); }

 private:
  bool Has(std::size_t count) const { return static_cast<std::size_t>(bytes_.size()) - at_ >= count; }
  std::uint32_t Byte(std::size_t i) const { return static_cast<std::uint8_t>(bytes_[static_cast<qsizetype>(i)]); }

  const QByteArray& bytes_;
  std::size_t at_ = 0;
};

}  // namespace

QByteArray ShippedLandFile() {
  QFile file(QStringLiteral(":/map/world-land-110m.bin"));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::optional<QPainterPath> ParseLandFile(const QByteArray& bytes) {
  LandReader reader(bytes);
  if (!reader.Skip(kLandMagic)) return std::nullopt;
  const std::optional<std::uint32_t> rings = reader.U32();
  if (!rings) return std::nullopt;
  QPainterPath land;
  land.setFillRule(Qt::OddEvenFill);
  for (std::uint32_t ring = 0; ring < *rings; ++ring) {
    const std::optional<std::uint32_t> points = reader.U32();
    if (!points || *points > kMaxRingPoints) return std::nullopt;
    for (std::uint32_t i = 0; i < *points; ++i) {
      const std::optional<double> longitude = reader.Degrees();
      const std::optional<double> latitude = reader.Degrees();
      if (!longitude || !latitude) return std::nullopt;
      if (i == 0) {
        land.moveTo(*longitude, *latitude);
      } else {
        land.lineTo(*longitude, *latitude);
      }
    }
    land.closeSubpath();
  }
  if (!reader.AtEnd() || land.isEmpty()) return std::nullopt;
  return land;
}

}  // namespace talvir
