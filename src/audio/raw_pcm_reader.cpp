#include "audio/raw_pcm_reader.h"

#include "audio/capture_buffer.h"
#include "audio/fd_reading.h"

namespace talvir {

std::size_t RawPcmReader::ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& stop) {
  return ReadWholeUnits(fd_, out, kCaptureBytesPerFrame, stop, ended_);
}

}  // namespace talvir
