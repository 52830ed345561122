// The live feed: its rules without a transport (name matching, when lines
// are queued, the queue's bound and order, the HFDL line), then over
// loopback TCP as clients see it: the protocol's answers, advise loops, and
// clients that misbehave while the decoder and the timers go on.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "dde/feed_client.h"
#include "outputs/publishing/dde_server.h"
#include "outputs/publishing/dde_tcp_server.h"
#include "station_fixture.h"

namespace talvir {
namespace {

using testing::kFortyFive;
using testing::kMinusFortyFive;

AircraftRecord Aircraft(const char* flightId, const char* registration, int32_t icao, int32_t time) {
  AircraftRecord r;
  std::snprintf(r.flightId, sizeof r.flightId, "%s", flightId);
  std::snprintf(r.registration, sizeof r.registration, "%s", registration);
  r.icaoAddress = icao;
  r.positionTime = time;
  r.latitude = kFortyFive;
  r.longitude = kMinusFortyFive;
  r.inUse = 1;
  return r;
}

class DdeServerTest : public ::testing::Test {
 protected:
  DdeServerTest() { server.DdeServerStart(); }

  Settings settings;
  DdeServer server{settings};
};

TEST_F(DdeServerTest, ConnectAndAdviseMatchTheirNamesExactly) {
  EXPECT_TRUE(server.Connect("TALVIR", "HFDL"));
  EXPECT_TRUE(server.Connected(DdeLink::kHfdl));
  EXPECT_FALSE(server.Connected(DdeLink::kAcars));
  EXPECT_FALSE(server.Connect("TALVIR", "hfdl")) << "names are case-sensitive";
  EXPECT_FALSE(server.Connect("talvir", "ACARS"));
  EXPECT_FALSE(server.Connected(DdeLink::kAcars));
  EXPECT_TRUE(server.Connect("TALVIR", "ACARS"));

  // An edited topic matches at once; a service not registered at start does not.
  settings.SetText(&SettingsRecord::hfdlDdeTopic, "POSITIONS");
  EXPECT_TRUE(server.Connect("TALVIR", "POSITIONS"));
  settings.SetText(&SettingsRecord::hfdlDdeService, "NEW");
  EXPECT_FALSE(server.Connect("NEW", "POSITIONS"));

  // Advise loops follow start and stop of known items.
  EXPECT_TRUE(server.AdviseStart("LiveData"));
  EXPECT_TRUE(server.AdviseActive(DdeLink::kAcars));
  EXPECT_FALSE(server.AdviseActive(DdeLink::kHfdl));
  EXPECT_FALSE(server.AdviseStart("livedata"));
  EXPECT_TRUE(server.AdviseStart("Aircraft"));
  EXPECT_TRUE(server.AdviseStop("LiveData"));
  EXPECT_FALSE(server.AdviseActive(DdeLink::kAcars));
  EXPECT_TRUE(server.AdviseActive(DdeLink::kHfdl));
  EXPECT_FALSE(server.AdviseStop("Nothing"));
}

TEST_F(DdeServerTest, NothingIsQueuedBeforeAClientConnects) {
  server.DdePublishAcars("before");
  server.DdePublishAircraft(Aircraft("EARLY1", "", 0, 0));
  EXPECT_EQ(server.Request("LiveData"), "");
  EXPECT_EQ(server.Request("Aircraft"), "");

  ASSERT_TRUE(server.Connect("TALVIR", "ACARS"));
  server.DdePublishAcars("after");
  server.DdePublishAircraft(Aircraft("LATE1", "", 0, 0));
  EXPECT_EQ(server.Request("LiveData"), "after");
  EXPECT_EQ(server.Request("LiveData"), "") << "each line is taken once";
  EXPECT_EQ(server.Request("Aircraft"), "") << "the HFDL link has no client yet";
  EXPECT_EQ(server.Request("Unknown"), "");
}

// As first written, the eleventh line went into the pool slot of the oldest
// queued one: that line was lost and the rest came out of order.
TEST_F(DdeServerTest, AFullQueueDropsNewLinesAndNeverTouchesQueuedOnes) {
  ASSERT_TRUE(server.Connect("TALVIR", "ACARS"));
  ASSERT_TRUE(server.AdviseStart("LiveData"));
  for (int i = 1; i <= 12; ++i) server.DdePublishAcars("message " + std::to_string(i));
  for (int i = 1; i <= 10; ++i) {
    ASSERT_TRUE(server.AdviseDue(DdeLink::kAcars));
    EXPECT_EQ(server.Request("LiveData"), "message " + std::to_string(i));
  }
  EXPECT_FALSE(server.AdviseDue(DdeLink::kAcars));
  EXPECT_EQ(server.Request("LiveData"), "");

  // The pool keeps turning: a later round comes out whole and in order.
  for (int i = 13; i <= 27; ++i) server.DdePublishAcars("message " + std::to_string(i));
  for (int i = 13; i <= 22; ++i) EXPECT_EQ(server.Request("LiveData"), "message " + std::to_string(i));
  EXPECT_EQ(server.Request("LiveData"), "");
  // Texts are cut at 499 characters.
  server.DdePublishAcars(std::string(600, 'x'));
  EXPECT_EQ(server.Request("LiveData"), std::string(kDdeTextMaxLength, 'x'));
}

TEST(DdeAircraftLineTest, FieldsInOrderEmptyWhenUnknown) {
  EXPECT_EQ(FormatDdeAircraftLine(Aircraft("BAW123", "G-ABCD", 0x4CA1B2, 18465)),
            "BAW123,G-ABCD,4CA1B2,101530,45,0,0,W,45,0,0,N;");
  // The address is padded with blanks to six places.
  EXPECT_EQ(FormatDdeAircraftLine(Aircraft("", "N1", 0xABC, 0)), ",N1,   ABC,,45,0,0,W,45,0,0,N;");
  AircraftRecord onlyPosition = Aircraft("", "", 0, 0);
  onlyPosition.latitude = kMinusFortyFive;
  onlyPosition.longitude = kFortyFive;
  EXPECT_EQ(FormatDdeAircraftLine(onlyPosition), ",,,,45,0,0,E,45,0,0,S;");
}

using std::chrono::milliseconds;

class DdeLoopbackTest : public DdeServerTest {
 protected:
  DdeLoopbackTest() { EXPECT_EQ(transport.Listen(0), ""); }

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
  transport.DdePostAdvise();
  EXPECT_EQ(acars.NextText(milliseconds(2000))->text, "message 3\nline two\n");
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
