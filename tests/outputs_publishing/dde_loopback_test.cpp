// The live feed over loopback TCP, as clients see it: the protocol's
// answers, advise loops, and clients that misbehave while the decoder and the
// timers go on.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "dde/feed_client.h"
#include "outputs/publishing/dde_tcp_server.h"

namespace talvir {
namespace {

using std::chrono::milliseconds;

class DdeLoopbackTest : public ::testing::Test {
 protected:
  DdeLoopbackTest() {
    server.DdeServerStart();
    const std::string error = transport.Listen(0);
    EXPECT_EQ(error, "");
  }

  // A client connected to a topic, with its advise loop started on `item`
  // unless that is empty.
  void Open(FeedConnection& client, const char* topic, const char* item) {
    std::string error;
    ASSERT_TRUE(client.Open(transport.Port(), error)) << error;
    ASSERT_EQ(client.Command(std::string("CONNECT TALVIR ") + topic), "OK");
    if (*item != '\0') {
      ASSERT_EQ(client.Command(std::string("ADVISE START ") + item), "OK");
    }
  }

  Settings settings;
  DdeServer server{settings};
  DdeTcpServer transport{server};
};

TEST_F(DdeLoopbackTest, TransactionsAndTheirAnswers) {
  FeedConnection client;
  std::string error;
  ASSERT_TRUE(client.Open(transport.Port(), error)) << error;
  EXPECT_EQ(client.Command("REQUEST Aircraft"), "ERROR not connected: CONNECT service topic first");
  EXPECT_EQ(client.Command("CONNECT TALVIR hfdl"), "REFUSED");
  EXPECT_EQ(client.Command("connect \"TALVIR\" HFDL"), "OK") << "command words in any case, names quoted";
  EXPECT_EQ(client.Command("ADVISE START aircraft"), "REFUSED");
  EXPECT_EQ(client.Command("ADVISE"), "ERROR ADVISE takes START or STOP and an item");
  EXPECT_EQ(client.Command("HELLO"), "ERROR unknown command 'HELLO': CONNECT, ADVISE START, ADVISE STOP or REQUEST");

  // An empty queue answers with the empty text: one byte, its terminator.
  EXPECT_EQ(client.Command("REQUEST Aircraft"), "DATA Aircraft 1");
  const auto empty = client.NextText(milliseconds(0));
  ASSERT_TRUE(empty.has_value());
  EXPECT_EQ(empty->text, "");
  EXPECT_EQ(empty->bytes, 1U);

  AircraftRecord aircraft;
  aircraft.latitude = 131072;
  server.DdePublishAircraft(aircraft);
  EXPECT_EQ(client.Command("REQUEST Aircraft"), "DATA Aircraft 22");
  EXPECT_EQ(client.NextText(milliseconds(0))->text, ",,,,0,0,0,E,45,0,0,N;");
}

TEST_F(DdeLoopbackTest, AdviseLoopsDeliverOneLinePerLinkPerTick) {
  FeedConnection acars, hfdl, requester;
  Open(acars, "ACARS", "LiveData");
  Open(hfdl, "HFDL", "Aircraft");
  Open(requester, "ACARS", "");
  for (int i = 1; i <= 12; ++i) server.DdePublishAcars("message " + std::to_string(i) + "\nline two\n");
  server.DdePublishAircraft(AircraftRecord{});
  server.DdePublishAircraft(AircraftRecord{});

  transport.DdePostAdvise();
  const auto first = acars.NextText(milliseconds(2000));
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->kind, "ADVDATA");
  EXPECT_EQ(first->text, "message 1\nline two\n");
  EXPECT_EQ(hfdl.NextText(milliseconds(2000))->text, ",,,,0,0,0,E,0,0,0,N;");
  EXPECT_FALSE(acars.NextText(milliseconds(100)).has_value()) << "one line per tick";

  // A request takes from the same queue: the lines are shared out.
  EXPECT_EQ(requester.Command("REQUEST LiveData"), "DATA LiveData 20");
  EXPECT_EQ(requester.NextText(milliseconds(0))->text, "message 2\nline two\n");
  for (int i = 3; i <= 10; ++i) {
    transport.DdePostAdvise();
    EXPECT_EQ(acars.NextText(milliseconds(2000))->text, "message " + std::to_string(i) + "\nline two\n");
  }
  transport.DdePostAdvise();
  EXPECT_FALSE(acars.NextText(milliseconds(100)).has_value()) << "the eleventh and twelfth were dropped";
  EXPECT_TRUE(hfdl.NextText(milliseconds(2000)).has_value());

  EXPECT_EQ(acars.Command("ADVISE STOP LiveData"), "OK");
  server.DdePublishAcars("after the stop");
  transport.DdePostAdvise();
  EXPECT_FALSE(acars.NextText(milliseconds(100)).has_value());
}

// A client that stops reading, and one that hangs up in the middle of a
// line, must hold up neither the decoder's publishing nor the timer's
// advises, nor the other clients.
TEST_F(DdeLoopbackTest, ClientsThatStallOrHangUpHoldNothingUp) {
  FeedConnection stalled, healthy;
  Open(stalled, "ACARS", "LiveData");
  Open(healthy, "ACARS", "");
  // Asks and asks, reads nothing: its answers pile up until it is dropped.
  std::string flood;
  for (int i = 0; i < 20000; ++i) flood += "REQUEST LiveData\n";
  std::thread flooder([&stalled, &flood] { stalled.Send(flood); });
  {
    FeedConnection halfLine;
    std::string error;
    ASSERT_TRUE(halfLine.Open(transport.Port(), error)) << error;
    ASSERT_TRUE(halfLine.Send("CONNECT TALVIR ACA"));
  }  // hung up mid-line

  for (int round = 0; round < 50; ++round) {
    server.DdePublishAcars("message " + std::to_string(round));
    transport.DdePostAdvise();
    EXPECT_EQ(healthy.Command("REQUEST LiveData").value_or("").substr(0, 4), "DATA");
    healthy.NextText(milliseconds(0));
  }
  flooder.join();
  EXPECT_EQ(healthy.Command("CONNECT TALVIR ACARS"), "OK");
}

}  // namespace
}  // namespace talvir
