#pragma once
// Hands a KML file to a globe viewer on the desktop: google-earth-pro when it
// is on the PATH, else marble, else xdg-open. Each file is opened once per
// launcher: a viewer started on every rewrite (each second or three) would
// pile up windows. With no viewer at all the status line says so, once.

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "outputs/publishing/kml_writer.h"

namespace talvir {

inline constexpr std::string_view kNoKmlViewerText =
    "No globe viewer found (google-earth-pro, marble or xdg-open): the KML files are written";

class KmlViewerLauncher final : public KmlViewer {
 public:
  // path: the PATH to search. status: the status line. launch: starts a
  // program with one argument without waiting for it; false when it cannot.
  KmlViewerLauncher(std::string path, std::function<void(std::string_view)> status,
                    std::function<bool(const std::filesystem::path&, const std::filesystem::path&)> launch);

  void OpenKml(const std::filesystem::path& file) override;

  // The first viewer on the PATH, or nothing.
  std::optional<std::filesystem::path> FindViewer() const;

 private:
  const std::string path_;
  const std::function<void(std::string_view)> status_;
  const std::function<bool(const std::filesystem::path&, const std::filesystem::path&)> launch_;
  std::set<std::filesystem::path> opened_;
  bool toldNoViewer_ = false;
};

// Starts `program file` detached from this process (its own session,
// standard streams on /dev/null).
bool LaunchDetached(const std::filesystem::path& program, const std::filesystem::path& file);

}  // namespace talvir
