#include "audio/portaudio_driver.h"

#include <gtest/gtest.h>


namespace talvir {
namespace {

TEST(ProductName, MatchesExactlyOnTheStoredWidth) {
  EXPECT_TRUE(MatchesProductName("USB Audio CODEC", "USB Audio CODEC"));
  EXPECT_FALSE(MatchesProductName("USB Audio CODEC", "usb audio codec")) << "case counts";
  EXPECT_FALSE(MatchesProductName("USB Audio CODEC 2", "USB Audio CODEC"));
  // The settings field keeps 31 characters; longer names match on those.
  const std::string longName = "HDA Intel PCH: ALC892 Analog (hw:0,0)";
  EXPECT_TRUE(MatchesProductName(longName, longName.substr(0, 31)));
  EXPECT_FALSE(MatchesProductName(longName, longName.substr(0, 30)));
  EXPECT_TRUE(MatchesProductName("", ""));
}

TEST(PortAudioDriver, WithoutAnyInputTheDefaultDeviceFailsWithAReportedCode) {
  const PortAudioSession session;
  if (!ListCaptureDevices(session).empty()) GTEST_SKIP() << "this machine has capture devices";
  PortAudioDriver driver;
  struct NoEvents : CaptureDriverEvents {
    void DeviceOpened() override { ADD_FAILURE() << "nothing can open"; }
    void BufferDone(CaptureBuffer&) override {}
  } noEvents;
  const OpenResult result = driver.Open("", noEvents);
  EXPECT_TRUE(result.Reported());
  CaptureBuffer buffer;
  EXPECT_FALSE(driver.AddBuffer(buffer)) << "a device that is not open takes no buffers";
}

}  // namespace
}  // namespace talvir
