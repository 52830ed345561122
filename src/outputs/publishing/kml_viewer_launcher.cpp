#include "outputs/publishing/kml_viewer_launcher.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>

extern char** environ;

namespace talvir {
namespace {

constexpr std::array<std::string_view, 3> kViewers = {"google-earth-pro", "marble", "xdg-open"};

}  // namespace

KmlViewerLauncher::KmlViewerLauncher(
    std::string path, std::function<void(std::string_view)> status,
    std::function<bool(const std::filesystem::path&, const std::filesystem::path&)> launch)
    : path_(std::move(path)), status_(std::move(status)), launch_(std::move(launch)) {}

std::optional<std::filesystem::path> KmlViewerLauncher::FindViewer() const {
  for (const std::string_view viewer : kViewers) {
    std::string_view rest = path_;
    while (!rest.empty()) {
      const std::size_t colon = rest.find(':');
      const std::string_view folder = rest.substr(0, colon);
      rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
      if (folder.empty()) continue;
      const std::filesystem::path candidate = std::filesystem::path(folder) / viewer;
      if (access(candidate.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidate)) return candidate;
    }
  }
  return std::nullopt;
}

void KmlViewerLauncher::OpenKml(const std::filesystem::path& file) {
  if (opened_.contains(file)) return;
  const auto viewer = FindViewer();
  if (!viewer) {
    if (!toldNoViewer_ && status_) status_(kNoKmlViewerText);
    toldNoViewer_ = true;
    return;
  }
  if (launch_(*viewer, std::filesystem::absolute(file))) opened_.insert(file);
}

bool LaunchDetached(const std::filesystem::path& program, const std::filesystem::path& file) {
  // Through a shell that puts the viewer in the background and ends at once:
  // the viewer belongs to init, not to us, and leaves no zombie behind.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (const int fd : {0, 1, 2}) posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
  const std::string programText = program.string();
  const std::string fileText = file.string();
  char shell[] = "/bin/sh";
  char dashC[] = "-c";
  char script[] = "setsid \"$0\" \"$1\" &";
  char* argv[] = {shell, dashC, script, const_cast<char*>(programText.c_str()), const_cast<char*>(fileText.c_str()),
                  nullptr};
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, shell, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace talvir
