// Capture: the sound card's name as stored, PortAudio without a device, the
// block assembler that turns a device's periods into whole capture buffers,
// and the ring of capture buffers between the driver and the worker.

#include "audio/wave_in.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "audio/block_assembler.h"
#include "audio/portaudio_driver.h"
#include "fake_capture_driver.h"

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

using testing::FakeCaptureDriver;

constexpr CloseTiming kQuickClose{50, std::chrono::milliseconds(1), std::chrono::milliseconds(0)};

class WaveInTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(waveIn.Allocate()); }

  // The buffer numbers handed over from the n-th hand-over on.
  std::vector<int> AddedFrom(std::size_t first) {
    std::vector<int> numbers;
    for (std::size_t i = first; i < driver.added.size(); ++i) {
      for (int b = 0; b < kCaptureBufferCount; ++b) {
        if (driver.added[i] == &waveIn.Buffer(b)) numbers.push_back(b);
      }
    }
    return numbers;
  }
  // What the worker does for each block it takes.
  const CaptureBlock* TakeAndRequeue() {
    const CaptureBlock* block = waveIn.TakeBlock();
    if (block != nullptr) waveIn.Requeue();
    return block;
  }
  int BuffersWithDriver() {
    int count = 0;
    for (int b = 0; b < kCaptureBufferCount; ++b) count += waveIn.Buffer(b).user.load();
    return count;
  }

  Settings settings;
  FakeCaptureDriver driver;
  WaveIn waveIn{driver, settings, kQuickClose};
};

TEST_F(WaveInTest, OpenHandsTenBuffersOverAndEveryBlockTakenTheNextInRingOrder) {
  settings.SetText(&SettingsRecord::soundCardName, "USB Audio CODEC");
  ASSERT_TRUE(waveIn.AudioCaptureOpen().Ok());
  EXPECT_EQ(driver.openedName, "USB Audio CODEC");
  EXPECT_EQ(driver.calls, (std::vector<std::string>{"open", "reset", "start"}));
  EXPECT_EQ(AddedFrom(0), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  for (int block = 0; block < 25; ++block) {
    ASSERT_EQ(BuffersWithDriver(), 10);
    driver.ReturnOldest(static_cast<uint8_t>(block));
    const CaptureBlock* taken = TakeAndRequeue();
    ASSERT_EQ(taken, &waveIn.Buffer(block % kCaptureBufferCount).data);
    EXPECT_EQ((*taken)[0], block) << "blocks come out oldest first";
  }
  const std::vector<int> order = AddedFrom(10);
  ASSERT_EQ(order.size(), 25U);
  for (std::size_t i = 0; i < order.size(); ++i) EXPECT_EQ(order[i], static_cast<int>((10 + i) % 20));
  EXPECT_EQ(waveIn.BlocksQueued(), 25U);
}

TEST_F(WaveInTest, ReopenDropsBlocksLeftQueuedAndContinuesTheRequeueOrder) {
  ASSERT_TRUE(waveIn.AudioCaptureOpen().Ok());
  for (int block = 0; block < 3; ++block) {
    driver.ReturnOldest(1);
    ASSERT_NE(TakeAndRequeue(), nullptr);
  }
  for (int i = 0; i < 3; ++i) driver.ReturnOldest(7);  // queued, not yet taken
  waveIn.AudioCaptureClose();
  EXPECT_EQ(waveIn.captureClosing.load(), 1);
  EXPECT_EQ(BuffersWithDriver(), 0) << "reset returned every buffer";
  const std::size_t before = driver.added.size();
  ASSERT_TRUE(waveIn.AudioCaptureOpen().Ok());
  EXPECT_EQ(waveIn.captureClosing.load(), 0) << "the driver's open message clears it";
  EXPECT_EQ(AddedFrom(before), (std::vector<int>{13, 14, 15, 16, 17, 18, 19, 0, 1, 2}));
  EXPECT_EQ(waveIn.TakeBlock(), nullptr);
  EXPECT_EQ(waveIn.BlocksQueued(), 3U) << "only the blocks taken count";
  // Capture goes on with exactly ten buffers in flight.
  for (int block = 0; block < 30; ++block) {
    driver.ReturnOldest(3);
    ASSERT_NE(TakeAndRequeue(), nullptr);
    ASSERT_EQ(BuffersWithDriver(), 10);
  }
}

TEST_F(WaveInTest, DataArrivingWhileClosingIsNotQueuedButReleasesItsBuffer) {
  ASSERT_TRUE(waveIn.AudioCaptureOpen().Ok());
  driver.returnOneOnStop = true;
  waveIn.AudioCaptureClose();
  EXPECT_EQ(waveIn.TakeBlock(), nullptr);
  EXPECT_EQ(waveIn.BlocksQueued(), 0U);
  EXPECT_EQ(BuffersWithDriver(), 0);

  // A buffer returned while closing is released, not queued. (That the
  // worker takes nothing then is its own test.)
  waveIn.captureClosing = 1;
  CaptureBuffer loose;
  loose.user = 1;
  waveIn.BufferDone(loose);
  EXPECT_EQ(loose.user.load(), 0);
  EXPECT_EQ(waveIn.TakeBlock(), nullptr);
}

TEST(WaveIn, CloseWaitsForBuffersTheDriverReturnsLate) {
  Settings settings;
  FakeCaptureDriver driver;
  WaveIn waveIn(driver, settings, CloseTiming{10000, std::chrono::milliseconds(1), std::chrono::milliseconds(0)});
  ASSERT_TRUE(waveIn.Allocate());
  ASSERT_TRUE(waveIn.AudioCaptureOpen().Ok());
  driver.keepBuffersOnReset = true;
  std::thread lateDriver([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    while (driver.HeldCount() > 0) driver.ReturnOldest(0);
  });
  waveIn.AudioCaptureClose();
  for (int b = 0; b < kCaptureBufferCount; ++b) EXPECT_EQ(waveIn.Buffer(b).user.load(), 0);
  lateDriver.join();
}

TEST_F(WaveInTest, ABufferTheDriverStillHoldsIsNeverHandedOverAgain) {
  ASSERT_TRUE(waveIn.AudioCaptureOpen().Ok());
  driver.keepBuffersOnReset = true;  // the close wait gives up
  waveIn.AudioCaptureClose();
  ASSERT_TRUE(waveIn.AudioCaptureOpen().Ok());
  EXPECT_EQ(AddedFrom(10), (std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19}));
  waveIn.AudioCaptureClose();
  ASSERT_TRUE(waveIn.AudioCaptureOpen().Ok());
  EXPECT_EQ(driver.added.size(), 20U) << "buffer 0 is next but still with the driver";
  // Once the driver lets go of buffer 0 it is handed over again, in turn.
  driver.ReturnOldest(5);
  ASSERT_NE(TakeAndRequeue(), nullptr);
  EXPECT_EQ(AddedFrom(20), (std::vector<int>{0}));
}

// A reported failure skips the start steps and the worker runs idle; an
// unreported one leaves no buffer marked with the driver.
TEST_F(WaveInTest, OpenFailuresAreNamedAndLeaveNoBufferWithTheDriver) {
  driver.openResult = {OpenStatus::kAllocated, "busy"};
  EXPECT_TRUE(waveIn.AudioCaptureOpen().Reported());
  EXPECT_EQ(driver.calls, (std::vector<std::string>{"open"}));
  EXPECT_TRUE(driver.added.empty());
  EXPECT_EQ(waveIn.workerStop.load(), 0);
  driver.openResult = {OpenStatus::kOtherFailure, "host error"};
  EXPECT_FALSE(waveIn.AudioCaptureOpen().Reported());
  EXPECT_EQ(driver.calls, (std::vector<std::string>{"open", "open", "reset", "start"}));
  EXPECT_EQ(BuffersWithDriver(), 0);

  const std::pair<OpenStatus, const char*> cases[] = {
      {OpenStatus::kBadDeviceId, "BADDEVICEID"}, {OpenStatus::kAllocated, "ALLOCATED"},
      {OpenStatus::kNoDriver, "NODRIVER"},       {OpenStatus::kNoMemory, "NOMEM"},
      {OpenStatus::kInvalidParam, "INVALID PARAM"}, {OpenStatus::kBadFormat, "BADFORMAT"}};
  for (const auto& [status, name] : cases) {
    EXPECT_EQ(OpenFailureMessage(status), std::string("Unable to Open Soundcard Input ") + name);
  }
  EXPECT_EQ(OpenFailureMessage(OpenStatus::kOtherFailure), "");
  EXPECT_EQ(OpenFailureMessage(OpenStatus::kOk), "");
}

}  // namespace
}  // namespace talvir
