#include "audio/block_assembler.h"

#include <gtest/gtest.h>

#include <vector>

namespace talvir {
namespace {

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
