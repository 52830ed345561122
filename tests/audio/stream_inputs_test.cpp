// Inputs that arrive as a stream: raw PCM from a pipe, and UDP audio from a
// sender on 127.0.0.1 as SDR programs send it. (A file through the capture
// cycle is the worker's test.)

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "audio/input_source.h"
#include "audio/raw_pcm_reader.h"
#include "audio/udp_pcm_reader.h"
#include "capture_sources.h"

namespace talvir {
namespace {

TEST(RawPcmReader, AStopEndsTheWaitOnAQuietPipeThenWholeFramesAreReadAndATrailingPartOneDropped) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  RawPcmReader reader(fds[0]);
  std::vector<uint8_t> out(kCaptureBufferBytes);
  std::atomic<bool> stop{false};
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    stop = true;
  });
  EXPECT_EQ(reader.ReadFrames(out, stop), 0U);
  stopper.join();
  stop = false;

  const std::vector<uint8_t> bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};  // 2 frames and 2 bytes
  std::thread writer([&] {
    // Split writes: a frame may arrive in pieces.
    ASSERT_EQ(write(fds[1], bytes.data(), 3), 3);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(write(fds[1], bytes.data() + 3, bytes.size() - 3), static_cast<ssize_t>(bytes.size() - 3));
    close(fds[1]);
  });
  EXPECT_EQ(reader.ReadFrames(out, stop), 2U);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 8, out.begin()));
  EXPECT_EQ(reader.ReadFrames(out, stop), 0U);
  writer.join();
  close(fds[0]);
}

std::vector<int16_t> Counting(std::size_t count, int16_t from) {
  std::vector<int16_t> samples(count);
  for (std::size_t n = 0; n < count; ++n) samples[n] = static_cast<int16_t>(from + static_cast<int16_t>(n));
  return samples;
}

// Frames of a block, left and right, from a reader that keeps going.
std::vector<int16_t> NextBlock(FrameReader& reader, const std::atomic<bool>& stop) {
  std::vector<uint8_t> block(kCaptureBufferBytes);
  const std::size_t frames = reader.ReadFrames(block, stop);
  return testing::SamplesOf(std::span(block).first(frames * kCaptureBytesPerFrame));
}

// A gap in the stream becomes silence of about its length, and the audio
// after it follows; a block never waits for a stream that has stopped.
TEST(UdpInput, StereoAudioThenSilenceForAGapThenAudioAgain) {
  std::string error;
  auto reader = UdpPcmReader::Open("127.0.0.1", 0, 2, error);
  ASSERT_NE(reader, nullptr) << error;
  testing::UdpSender sender(reader->Port());
  const auto first = Counting(2 * 1000, 1);
  sender.Send(first);
  const std::atomic<bool> stop{false};
  std::vector<int16_t> got = NextBlock(*reader, stop);  // waits for the gap
  ASSERT_EQ(got.size(), 2u * kBlockFrames);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), got.begin()));
  EXPECT_TRUE(std::all_of(got.begin() + static_cast<std::ptrdiff_t>(first.size()), got.end(),
                          [](int16_t x) { return x == 0; }));

  // The gap is filled with silence no longer than the wait for the audio
  // (measured, so that a loaded machine does not fail it) and 0.15 s.
  const auto second = Counting(2 * 3000, -3000);
  const auto gapStart = std::chrono::steady_clock::now();
  std::chrono::steady_clock::duration waited{};
  std::thread later([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    waited = std::chrono::steady_clock::now() - gapStart;
    sender.Send(second);
  });
  std::vector<int16_t> all;
  auto start = all.end();
  while (all.size() < 2u * kSampleRate * 10) {
    const auto block = NextBlock(*reader, stop);
    all.insert(all.end(), block.begin(), block.end());
    start = std::search(all.begin(), all.end(), second.begin(), second.end());
    if (start != all.end() && all.end() - start >= static_cast<std::ptrdiff_t>(second.size())) break;
  }
  later.join();
  ASSERT_NE(start, all.end()) << "the second datagram arrives whole";
  const auto silentFrames = (start - all.begin()) / 2;
  const double waitedSeconds = std::chrono::duration<double>(waited).count();
  EXPECT_LT(silentFrames, static_cast<std::ptrdiff_t>(kSampleRate * (waitedSeconds + 0.15)));
  EXPECT_TRUE(std::all_of(all.begin(), start, [](int16_t x) { return x == 0; }));
}

TEST(UdpInput, MonoIsChannelAAndAStopEndsTheWait) {
  std::string error;
  auto reader = UdpPcmReader::Open("127.0.0.1", 0, 1, error);
  ASSERT_NE(reader, nullptr) << error;
  testing::UdpSender sender(reader->Port());
  sender.Send(Counting(kBlockFrames + 1, 100));
  std::atomic<bool> stop{false};
  const auto block = NextBlock(*reader, stop);
  ASSERT_EQ(block.size(), 2u * kBlockFrames);
  EXPECT_EQ(block[0], 100);
  EXPECT_EQ(block[1], 0);
  EXPECT_EQ(block[2 * (kBlockFrames - 1)], 100 + kBlockFrames - 1);
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stop = true;
  });
  const auto rest = NextBlock(*reader, stop);
  stopper.join();
  EXPECT_LT(rest.size(), 2u * kBlockFrames);
  ASSERT_GE(rest.size(), 2u);
  EXPECT_EQ(rest[0], static_cast<int16_t>(100 + kBlockFrames));
}

TEST(UdpInput, RefusesAnAddressOrPortItCannotUse) {
  // (A port out of range is talvir-cli's bad-input case.)
  std::string error;
  EXPECT_FALSE(OpenInputSource({.path = "udp:localhost:7355"}, error));
  EXPECT_NE(error.find("IPv4"), std::string::npos) << error;
  auto taken = UdpPcmReader::Open("127.0.0.1", 0, 1, error);
  ASSERT_NE(taken, nullptr);
  EXPECT_FALSE(OpenInputSource({.path = "udp:" + std::to_string(taken->Port())}, error));
  EXPECT_NE(error.find("cannot listen"), std::string::npos) << error;
}

}  // namespace
}  // namespace talvir
