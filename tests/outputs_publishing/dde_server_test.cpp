// The live feed's rules without a transport: name matching, when lines are
// queued, the queue's bound and order, and the HFDL line.

#include "outputs/publishing/dde_server.h"

#include <gtest/gtest.h>

#include <string>

namespace talvir {
namespace {

// 45 degrees as a coordinate code, north/east and south/west.
constexpr int32_t kFortyFive = 131072;
constexpr int32_t kMinusFortyFive = 0x80000 | (~kFortyFive & 0x7FFFF);

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

TEST_F(DdeServerTest, ConnectMatchesServiceAndTopicExactly) {
  EXPECT_TRUE(server.Connect("TALVIR", "HFDL"));
  EXPECT_TRUE(server.Connected(DdeLink::kHfdl));
  EXPECT_FALSE(server.Connected(DdeLink::kAcars));
  EXPECT_FALSE(server.Connect("TALVIR", "hfdl")) << "names are case-sensitive";
  EXPECT_FALSE(server.Connect("talvir", "ACARS"));
  EXPECT_FALSE(server.Connect("OTHER", "ACARS"));
  EXPECT_FALSE(server.Connected(DdeLink::kAcars));
  EXPECT_TRUE(server.Connect("TALVIR", "ACARS"));

  // An edited topic matches at once; a service not registered at start does not.
  settings.SetText(&SettingsRecord::hfdlDdeTopic, "POSITIONS");
  EXPECT_TRUE(server.Connect("TALVIR", "POSITIONS"));
  settings.SetText(&SettingsRecord::hfdlDdeService, "NEW");
  EXPECT_FALSE(server.Connect("NEW", "POSITIONS"));
}

TEST_F(DdeServerTest, AdviseLoopsFollowStartAndStopOfKnownItems) {
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
}

TEST_F(DdeServerTest, TextsAreCutAt499Characters) {
  ASSERT_TRUE(server.Connect("TALVIR", "ACARS"));
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

}  // namespace
}  // namespace talvir
