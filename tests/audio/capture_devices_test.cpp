// Capture devices: the sound card's name as stored, PortAudio without a
// device, and the block assembler that turns a device's periods into whole
// capture buffers.
#include <gtest/gtest.h>

#include <vector>

#include "audio/block_assembler.h"
#include "audio/portaudio_driver.h"

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

struct ReturnedBuffers : CaptureDriverEvents {
  void DeviceOpened() override {}
  void BufferDone(CaptureBuffer& buffer) override { returned.push_back(&buffer); }
  std::vector<const CaptureBuffer*> returned;
};

TEST(BlockAssembler, OddSizedChunksFillWholeBuffersInHandOverOrder) {
  std::vector<CaptureBuffer> buffers(3);
  BlockAssembler assembler;
  ReturnedBuffers events;
  for (CaptureBuffer& b : buffers) ASSERT_TRUE(assembler.Add(b));

  // 2.5 buffers of counting bytes in chunks of 1764 (a typical ALSA period).
  std::vector<uint8_t> audio(kCaptureBufferBytes * 5 / 2);
  for (std::size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<uint8_t>(i % 251);
  for (std::size_t at = 0; at < audio.size(); at += 1764) {
    assembler.Capture(std::span(audio).subspan(at, std::min<std::size_t>(1764, audio.size() - at)), events);
  }
  ASSERT_EQ(events.returned, (std::vector<const CaptureBuffer*>{&buffers[0], &buffers[1]}));
  for (std::size_t i = 0; i < 2 * kCaptureBufferBytes; ++i) {
    ASSERT_EQ(buffers[i / kCaptureBufferBytes].data[i % kCaptureBufferBytes], audio[i]) << i;
  }

  // The half-filled buffer comes back on a reset; then nothing is held.
  assembler.ReturnAll(events);
  EXPECT_EQ(events.returned.back(), &buffers[2]);
  assembler.ReturnAll(events);
  EXPECT_EQ(events.returned.size(), 3U);
}

TEST(BlockAssembler, AudioWithoutABufferIsDropped) {
  CaptureBuffer buffer;
  BlockAssembler assembler;
  ReturnedBuffers events;
  std::vector<uint8_t> first(kCaptureBufferBytes, 1);
  std::vector<uint8_t> lost(100, 2);
  assembler.Capture(lost, events);
  ASSERT_TRUE(assembler.Add(buffer));
  assembler.Capture(first, events);
  ASSERT_EQ(events.returned.size(), 1U);
  EXPECT_EQ(buffer.data[0], 1) << "the buffer starts with the audio after it arrived";
}

}  // namespace
}  // namespace talvir
