#include <csignal>
#include <string_view>
#include <vector>

#include "cli/cli_app.h"

namespace {
std::atomic<int> stopSignal{0};
extern "C" void RequestStop(int signal) { stopSignal.store(signal); }
}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  return talvir::RunTalvirCli(args, stopSignal);
}
