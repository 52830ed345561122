#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include "audio/raw_pcm_reader.h"
#include "audio/stream_driver.h"
#include "audio/wave_in.h"
#include "capture_sources.h"

namespace talvir {
namespace {

using testing::FrameBytes;

// Everything a source delivers, through the capture cycle, until it is
// exhausted and its last block has been taken.
std::vector<uint8_t> DrainThroughCapture(std::unique_ptr<FrameReader> reader) {
  Settings settings;
  StreamDriver driver(std::move(reader), Pacing::kAsFastAsTaken);
  WaveIn waveIn(driver, settings, testing::kQuickClose);
  EXPECT_TRUE(waveIn.Allocate());
  EXPECT_TRUE(waveIn.AudioCaptureOpen().Ok());
  std::vector<uint8_t> delivered;
  uint64_t taken = 0;
  while (!(waveIn.SourceExhausted() && taken == waveIn.BlocksQueued())) {
    if (const CaptureBlock* block = waveIn.TakeBlock()) {
      waveIn.Requeue();
      delivered.insert(delivered.end(), block->begin(), block->end());
      ++taken;
    } else {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  }
  waveIn.AudioCaptureClose();
  for (int b = 0; b < kCaptureBufferCount; ++b) EXPECT_EQ(waveIn.Buffer(b).user.load(), 0);
  return delivered;
}

TEST(StreamDriver, DeliversTheInputPaddedThenHalfASecondOfSilence) {
  ASSERT_GE(kFlushSilenceBlocks * kBlockFrames, kSampleRate / 2);
  for (const std::size_t frames : {std::size_t{3 * kBlockFrames + 700}, std::size_t{0}}) {
    SCOPED_TRACE(::testing::Message() << frames << " frames");
    std::vector<int16_t> samples(2 * frames);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i * 1237 + 1);
    const std::vector<uint8_t> input = FrameBytes(samples);
    const std::vector<uint8_t> out = DrainThroughCapture(std::make_unique<testing::GeneratedReader>(
        frames, [&](std::size_t n) { return std::array{samples[2 * n], samples[2 * n + 1]}; }));

    const std::size_t blocks = (frames + kBlockFrames - 1) / kBlockFrames + kFlushSilenceBlocks;
    ASSERT_EQ(out.size(), blocks * kCaptureBufferBytes);
    EXPECT_TRUE(std::equal(input.begin(), input.end(), out.begin())) << "blocks in order, unchanged";
    EXPECT_TRUE(std::all_of(out.begin() + static_cast<std::ptrdiff_t>(input.size()), out.end(),
                            [](uint8_t b) { return b == 0; }));
  }
}

TEST(RawPcmReader, ReadsWholeFramesAndDropsATrailingPartOne) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const std::vector<uint8_t> bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};  // 2 frames and 2 bytes
  std::thread writer([&] {
    // Split writes: a frame may arrive in pieces.
    ASSERT_EQ(write(fds[1], bytes.data(), 3), 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(write(fds[1], bytes.data() + 3, bytes.size() - 3), static_cast<ssize_t>(bytes.size() - 3));
    close(fds[1]);
  });
  RawPcmReader reader(fds[0]);
  std::vector<uint8_t> out(kCaptureBufferBytes);
  std::atomic<bool> stop{false};
  EXPECT_EQ(reader.ReadFrames(out, stop), 2U);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 8, out.begin()));
  EXPECT_EQ(reader.ReadFrames(out, stop), 0U);
  writer.join();
  close(fds[0]);
}

TEST(RawPcmReader, AStopEndsTheWaitOnAQuietPipe) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  RawPcmReader reader(fds[0]);
  std::atomic<bool> stop{false};
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    stop = true;
  });
  std::vector<uint8_t> out(kCaptureBufferBytes);
  EXPECT_EQ(reader.ReadFrames(out, stop), 0U);
  stopper.join();
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
}  // namespace talvir
