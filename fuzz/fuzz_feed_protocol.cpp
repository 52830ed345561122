// The live feed's line protocol from both sides. Most inputs run their lines
// through the command parser against the feed's link logic and check that
// every text sent back frames and parses back whole. When the first byte
// is 1, the bytes go as they are over loopback TCP to the real server
// (partial and over-long lines, stray CRs), and what it advises, a text of
// arbitrary bytes from the input, is read back by the client.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "dde/feed_client.h"
#include "fuzz/fuzz_support.h"
#include "outputs/publishing/dde_protocol.h"
#include "outputs/publishing/dde_server.h"
#include "outputs/publishing/dde_tcp_server.h"

namespace {

using talvir::DdeCommand;

void CheckFraming(std::string_view item, std::string_view text) {
  const std::string frame = talvir::DdeDataFrame("DATA", item, text);
  const std::size_t end = frame.find('\n');
  const auto header = talvir::ParseDdeDataHeader(std::string_view(frame).substr(0, end));
  talvir::fuzz::Require(header && header->item == item && header->bytes == text.size() + 1);
  talvir::fuzz::Require(frame.size() == end + 1 + header->bytes + 1);
}

void RunLines(std::string_view input) {
  talvir::Settings settings;
  talvir::DdeServer server(settings);
  server.DdeServerStart();
  while (!input.empty()) {
    const std::size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    const DdeCommand command = talvir::ParseDdeCommand(line);
    switch (command.kind) {
      case DdeCommand::Kind::kConnect: (void)server.Connect(command.first, command.second); break;
      case DdeCommand::Kind::kAdviseStart: (void)server.AdviseStart(command.first); break;
      case DdeCommand::Kind::kAdviseStop: (void)server.AdviseStop(command.first); break;
      case DdeCommand::Kind::kRequest: CheckFraming(command.first, server.Request(command.first)); break;
      case DdeCommand::Kind::kInvalid:
        talvir::fuzz::Require(!command.error.empty());
        // What a client cannot frame as a command, a decoder may still
        // publish as text.
        server.DdePublishAcars(line);
        break;
    }
  }
}

struct Feed {
  Feed() {
    server.DdeServerStart();
    talvir::fuzz::Require(transport.Listen(0).empty());
  }
  talvir::Settings settings;
  talvir::DdeServer server{settings};
  talvir::DdeTcpServer transport{server};
};

void RunOverTcp(std::string_view bytes, std::string_view text) {
  static Feed feed;
  using Clock = std::chrono::steady_clock;
  const auto ms = [](Clock::duration d) {
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
  };
  const auto start = Clock::now();
  talvir::FeedConnection client;
  std::string error;
  talvir::fuzz::Require(client.Open(feed.transport.Port(), error));
  const std::string service = feed.settings.Text(&talvir::SettingsRecord::acarsDdeService);
  const std::string topic = feed.settings.Text(&talvir::SettingsRecord::acarsDdeTopic);
  const std::string item = feed.settings.Text(&talvir::SettingsRecord::acarsDdeItem);
  // At the lowest priority on a busy machine each hand-over between this
  // thread and the server's can wait a second or more for the processor, so
  // the answer is awaited past libFuzzer's own time-out: a server that never
  // answers is reported as the hang it is, a slow one not as a broken reply.
  const auto asked = Clock::now();
  const auto connected = client.Command(
      "CONNECT " + talvir::QuoteDdeName(service) + " " + talvir::QuoteDdeName(topic), std::chrono::minutes(2));
  const auto answered = Clock::now();
  if (connected != "OK") {
    // Say which way it failed: an answer other than OK, or a hang-up.
    std::fprintf(stderr, "CONNECT got %s after %lld ms; the server %s the connection\n",
                 connected ? ("\"" + *connected + "\"").c_str() : "no answer", ms(answered - asked),
                 client.Ended() ? "closed" : "kept");
    std::abort();
  }
  client.Send(bytes);
  // The server answers this line unless the bytes before it made it hang up.
  client.Send("\nADVISE START " + talvir::QuoteDdeName(item) + "\n");
  feed.server.DdePublishAcars(text);
  feed.transport.DdePostAdvise();
  // The answer comes after any advised text; both parse, or the server hung up.
  (void)client.Command("REQUEST " + talvir::QuoteDdeName(item), std::chrono::seconds(2));
  while (client.NextText(std::chrono::milliseconds(0))) {
  }
  // libFuzzer names slow inputs; where their time went is ours to say.
  if (Clock::now() - start > std::chrono::seconds(1))
    std::fprintf(stderr, "slow unit: connect %lld ms, CONNECT %lld ms, the rest %lld ms\n", ms(asked - start),
                 ms(answered - asked), ms(Clock::now() - answered));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 8192) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] == 1) {
    const std::size_t split = rest.size() / 2;
    RunOverTcp(rest.substr(0, split), rest.substr(split));
  } else {
    RunLines(rest);
  }
  return 0;
}
