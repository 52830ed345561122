#include "ui/manual_location.h"

namespace talvir {

std::vector<std::filesystem::path> ManualCandidates(const std::filesystem::path& programDir) {
  return {
      programDir / ".." / "share" / "doc" / "talvir" / kManualFileName,
      std::filesystem::path(TALVIR_SOURCE_DIR) / "docs" / kManualFileName,
      std::filesystem::path("docs") / kManualFileName,
  };
}

std::optional<std::filesystem::path> FindManual(std::span<const std::filesystem::path> candidates) {
  for (const std::filesystem::path& candidate : candidates) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
  }
  return std::nullopt;
}

}  // namespace talvir
