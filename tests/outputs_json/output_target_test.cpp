#include "outputs/json/output_target.h"

#include <gtest/gtest.h>

namespace talvir {
namespace {

TEST(OutputTarget, ReadsEachDestination) {
  std::string error;
  EXPECT_EQ(ParseOutputTarget("json:stdout", error)->kind, OutputTarget::Kind::kStdout);
  const auto file = ParseOutputTarget("json:file:/tmp/a:b.jsonl", error);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->path, "/tmp/a:b.jsonl");
  const auto udp = ParseOutputTarget("json:udp:feed.example.org:5556", error);
  ASSERT_TRUE(udp);
  EXPECT_EQ((std::tuple{udp->kind, udp->host, udp->port}),
            (std::tuple{OutputTarget::Kind::kUdp, std::string("feed.example.org"), 5556}));
  // An IPv6 address keeps its colons; the port is after the last.
  const auto tcp = ParseOutputTarget("json:tcp:::1:5557", error);
  ASSERT_TRUE(tcp);
  EXPECT_EQ((std::tuple{tcp->kind, tcp->host, tcp->port}), (std::tuple{OutputTarget::Kind::kTcp, std::string("::1"), 5557}));
  EXPECT_EQ(error, "");
}

TEST(OutputTarget, RefusesWithAReason) {
  for (const auto& [spec, why] : std::initializer_list<std::pair<const char*, const char*>>{
           {"xml:stdout", "the format must be json"},
           {"json:file:", "needs a file name"},
           {"json:udp:5556", "needs HOST:PORT"},
           {"json:tcp:host:70000", "'70000' is not a port number"},
           {"json:tcp:host:", "'' is not a port number"},
           {"json:mqtt:host:1", "the destination must be"}}) {
    std::string error;
    EXPECT_FALSE(ParseOutputTarget(spec, error)) << spec;
    EXPECT_NE(error.find(why), std::string::npos) << error;
    EXPECT_NE(error.find(spec), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace talvir
