// talvir-dde: prints what the live feed of talvir or talvir-cli serves,
// one text at a time: HFDL position lines and ACARS messages.

#include <poll.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/version.h"
#include "config/data_paths.h"
#include "config/settings.h"
#include "dde/feed_client.h"

namespace talvir {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadUse = 2;
constexpr std::chrono::milliseconds kRetryPeriod{200};

std::atomic<int> stopSignal{0};

constexpr std::string_view kHelp = R"(Usage: talvir-dde [OPTION]...
Connect to the live feed of talvir or talvir-cli on this machine and print
what it serves: one line per HFDL aircraft position and the text of each
ACARS message, as they arrive.

  --port PORT         the feed's port on 127.0.0.1 (default 8650)
  --link LINK         hfdl, acars or both (default both)
  --poll SECONDS      ask for queued texts every SECONDS instead of starting
                      an advise loop (which delivers one text per link every
                      3 s)
  --config-dir DIR    take the service, topic and item names from
                      DIR/configs/talvir.ini (default: the working directory;
                      without the file, the default names)
  -h, --help          show this help and exit
  --version           show the version and exit

Waits for the feed when it is not there yet, and ends when it closes or on
Ctrl-C. Exit status: 0, or 2 for a bad option or names the feed refuses.
)";

struct Options {
  int port = kDefaultDdePort;
  bool hfdl = true;
  bool acars = true;
  int pollSeconds = 0;  // 0: advise loop
  DataPaths paths;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "talvir-dde: %s\n", message.c_str());
  return kExitBadUse;
}

bool ParseNumber(std::string_view text, int low, int high, int& value) {
  try {
    std::size_t used = 0;
    value = std::stoi(std::string(text), &used);
    return used == text.size() && value >= low && value <= high;
  } catch (const std::exception&) {
    return false;
  }
}

struct LinkNames {
  std::string service, topic, item;
};

// Connects one link: waits for the feed, then CONNECT and, without polling,
// ADVISE START. Empty on success, else why.
std::string OpenLink(FeedConnection& connection, const Options& options, const LinkNames& names) {
  bool told = false;
  std::string error;
  while (!connection.Open(options.port, error)) {
    if (stopSignal.load() != 0) return "interrupted";
    if (!told) {
      std::fprintf(stderr, "talvir-dde: waiting for the live feed on 127.0.0.1 port %d (%s)\n", options.port,
                   error.c_str());
      told = true;
    }
    std::this_thread::sleep_for(kRetryPeriod);
  }
  const auto connected = connection.Command("CONNECT " + QuoteDdeName(names.service) + " " + QuoteDdeName(names.topic));
  if (connected != "OK") {
    return "the feed refuses service '" + names.service + "' topic '" + names.topic +
           "' (its names are in its settings: see --config-dir)";
  }
  if (options.pollSeconds == 0 && connection.Command("ADVISE START " + QuoteDdeName(names.item)) != "OK") {
    return "the feed refuses item '" + names.item + "'";
  }
  return {};
}

void Print(const std::string& text) {
  if (text.empty()) return;
  std::fputs(text.c_str(), stdout);
  if (text.back() != '\n') std::fputc('\n', stdout);
  std::fflush(stdout);
}

int Run(const Options& options) {
  Settings settings;
  settings.Load(options.paths.SettingsFile());
  std::vector<LinkNames> links;
  if (options.hfdl) {
    links.push_back({settings.Text(&SettingsRecord::hfdlDdeService), settings.Text(&SettingsRecord::hfdlDdeTopic),
                     settings.Text(&SettingsRecord::hfdlDdeItem)});
  }
  if (options.acars) {
    links.push_back({settings.Text(&SettingsRecord::acarsDdeService), settings.Text(&SettingsRecord::acarsDdeTopic),
                     settings.Text(&SettingsRecord::acarsDdeItem)});
  }
  std::vector<FeedConnection> connections(links.size());
  for (std::size_t i = 0; i < links.size(); ++i) {
    const std::string error = OpenLink(connections[i], options, links[i]);
    if (error == "interrupted") return kExitOk;
    if (!error.empty()) return Fail(error);
  }
  auto nextPoll = std::chrono::steady_clock::now();
  while (stopSignal.load() == 0) {
    if (options.pollSeconds != 0 && std::chrono::steady_clock::now() >= nextPoll) {
      // Everything queued, a request at a time.
      for (std::size_t i = 0; i < links.size(); ++i) {
        for (;;) {
          if (!connections[i].Command("REQUEST " + QuoteDdeName(links[i].item))) break;
          const auto text = connections[i].NextText(std::chrono::milliseconds(0));
          if (!text || text->text.empty()) break;
          Print(text->text);
        }
      }
      nextPoll += std::chrono::seconds(options.pollSeconds);
    }
    std::vector<pollfd> polled;
    for (const FeedConnection& connection : connections) polled.push_back({connection.fd(), POLLIN, 0});
    poll(polled.data(), polled.size(), 200);
    for (std::size_t i = 0; i < connections.size(); ++i) {
      if (polled[i].revents == 0) continue;
      // Everything that came, then the rest of a text still on its way.
      for (auto wait = std::chrono::milliseconds(1000);; wait = std::chrono::milliseconds(0)) {
        const auto text = connections[i].NextText(wait);
        if (!text) break;
        Print(text->text);
      }
      if (connections[i].Ended()) {
        std::fprintf(stderr, "talvir-dde: the live feed closed\n");
        return kExitOk;
      }
    }
  }
  return kExitOk;
}

}  // namespace
}  // namespace talvir

int main(int argc, char** argv) {
  using namespace talvir;
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&]() -> std::optional<std::string_view> {
      if (i + 1 < argc) return std::string_view(argv[++i]);
      return std::nullopt;
    };
    if (arg == "-h" || arg == "--help") {
      std::fputs(kHelp.data(), stdout);
      return kExitOk;
    } else if (arg == "--version") {
      std::printf("%s\n", VersionLine("talvir-dde").c_str());
      return kExitOk;
    } else if (arg == "--port") {
      const auto v = value();
      if (!v || !ParseNumber(*v, 1, 65535, options.port)) return Fail("--port needs a port number, 1 to 65535");
    } else if (arg == "--link") {
      const auto v = value();
      if (!v || (*v != "hfdl" && *v != "acars" && *v != "both")) return Fail("--link is hfdl, acars or both");
      options.hfdl = *v != "acars";
      options.acars = *v != "hfdl";
    } else if (arg == "--poll") {
      const auto v = value();
      if (!v || !ParseNumber(*v, 1, 3600, options.pollSeconds)) return Fail("--poll needs seconds, 1 to 3600");
    } else if (arg == "--config-dir") {
      const auto v = value();
      if (!v) return Fail("--config-dir needs a folder");
      options.paths.base = std::string(*v);
    } else {
      return Fail("unknown option '" + std::string(arg) + "' (see --help)");
    }
  }
  std::signal(SIGINT, [](int) { stopSignal.store(1); });
  std::signal(SIGTERM, [](int) { stopSignal.store(1); });
  return Run(options);
}
