#pragma once
// Audio for the capture layer made by the test (frames generated in memory,
// sound files written with libsndfile, datagrams sent to 127.0.0.1), and what
// a reader delivers, read back and measured.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sndfile.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <complex>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <span>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "audio/frame_reader.h"
#include "audio/wave_in.h"

namespace talvir::testing {

// Closes without the long waits a real device needs.
inline constexpr CloseTiming kQuickClose{1000, std::chrono::milliseconds(1), std::chrono::milliseconds(0)};

// Frames as the capture layer sees them: little-endian left, right.
inline std::vector<uint8_t> FrameBytes(const std::vector<int16_t>& interleaved) {
  std::vector<uint8_t> bytes;
  for (const int16_t sample : interleaved) {
    bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(sample) & 0xFF));
    bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8));
  }
  return bytes;
}

// `frames` frames whose left and right samples `frame(n)` gives.
class GeneratedReader : public FrameReader {
 public:
  using Frame = std::function<std::array<int16_t, 2>(std::size_t)>;
  GeneratedReader(std::size_t frames, Frame frame) : frames_(frames), frame_(std::move(frame)) {}
  std::size_t ReadFrames(std::span<uint8_t> out, const std::atomic<bool>&) override {
    std::size_t n = 0;
    for (; n < out.size() / kCaptureBytesPerFrame && next_ < frames_; ++n, ++next_) {
      std::size_t at = n * kCaptureBytesPerFrame;
      for (const int16_t sample : frame_(next_)) {
        out[at++] = static_cast<uint8_t>(static_cast<uint16_t>(sample) & 0xFF);
        out[at++] = static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8);
      }
    }
    return n;
  }

 private:
  std::size_t frames_;
  Frame frame_;
  std::size_t next_ = 0;
};

// Samples as shorts or floats (at +-1.0), interleaved.
template <typename Sample>
std::filesystem::path WriteSoundFile(const std::filesystem::path& path, int format, int rate, int channels,
                                     const std::vector<Sample>& samples) {
  SF_INFO info{.frames = 0, .samplerate = rate, .channels = channels, .format = format, .sections = 0, .seekable = 0};
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) throw std::runtime_error(sf_strerror(nullptr));
  const auto frames = static_cast<sf_count_t>(samples.size()) / channels;
  if constexpr (std::is_same_v<Sample, float>) {
    sf_writef_float(file, samples.data(), frames);
  } else {
    sf_writef_short(file, samples.data(), frames);
  }
  sf_close(file);
  return path;
}

// I/Q, interleaved, in each form a file can hold it; a WAV file is stereo at
// `rate`.
enum class IqForm { kCu8, kCs16, kCf32, kWav };

inline std::filesystem::path WriteIq(const std::filesystem::path& path, const std::vector<std::complex<double>>& iq,
                                     IqForm form, int rate = 0) {
  if (form == IqForm::kWav) {
    std::vector<float> interleaved;
    for (const auto& z : iq)
      interleaved.insert(interleaved.end(), {static_cast<float>(z.real()), static_cast<float>(z.imag())});
    return WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 2, interleaved);
  }
  std::ofstream out(path, std::ios::binary);
  auto put = [&](double x) {
    if (form == IqForm::kCu8) {
      out.put(static_cast<char>(std::lround(127.5 + 127.5 * x)));
    } else if (form == IqForm::kCs16) {
      const auto v = static_cast<int16_t>(std::lround(32767 * x));
      out.write(reinterpret_cast<const char*>(&v), 2);
    } else {
      const auto v = static_cast<float>(x);
      out.write(reinterpret_cast<const char*>(&v), 4);
    }
  };
  for (const auto& z : iq) {
    put(z.real());
    put(z.imag());
  }
  return path;
}

// Sends 16-bit samples to a UDP port of 127.0.0.1, as SDR programs do.
class UdpSender {
 public:
  explicit UdpSender(int port) : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {
    to_.sin_family = AF_INET;
    to_.sin_port = htons(static_cast<uint16_t>(port));
    to_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  }
  ~UdpSender() { close(fd_); }
  UdpSender(const UdpSender&) = delete;
  UdpSender& operator=(const UdpSender&) = delete;
  void Send(const std::vector<int16_t>& samples) {
    sendto(fd_, samples.data(), samples.size() * 2, 0, reinterpret_cast<const sockaddr*>(&to_), sizeof to_);
  }

 private:
  int fd_;
  sockaddr_in to_{};
};

// Little-endian 16-bit samples.
inline std::vector<int16_t> SamplesOf(std::span<const uint8_t> bytes) {
  std::vector<int16_t> samples;
  for (std::size_t k = 0; k + 1 < bytes.size(); k += 2) {
    samples.push_back(static_cast<int16_t>(static_cast<uint16_t>(bytes[k] | bytes[k + 1] << 8)));
  }
  return samples;
}

// Everything a reader delivers until its end, as interleaved left, right.
inline std::vector<int16_t> ReadAllSamples(FrameReader& reader) {
  std::vector<int16_t> samples;
  std::vector<uint8_t> block(kCaptureBufferBytes);
  const std::atomic<bool> stop{false};
  for (;;) {
    const std::size_t frames = reader.ReadFrames(block, stop);
    const std::vector<int16_t> read = SamplesOf(std::span(block).first(frames * kCaptureBytesPerFrame));
    samples.insert(samples.end(), read.begin(), read.end());
    if (frames < kBlockFrames) return samples;
  }
}

// Channel 0 (left) or 1 (right) of interleaved frames, at +-1.0.
inline std::vector<float> ChannelOf(const std::vector<int16_t>& frames, std::size_t channel) {
  std::vector<float> out;
  for (std::size_t k = channel; k < frames.size(); k += 2) out.push_back(static_cast<float>(frames[k]) / 32768.0F);
  return out;
}

struct ToneFit {
  double amplitude = 0;    // of the best-fitting sine at the frequency
  double residualRms = 0;  // of what is left once it is taken away
};

// The sine of `hz` that best fits x at 48000 samples/s (over whole cycles of
// a long stretch, sine and cosine are orthogonal enough to fit apart).
inline ToneFit FitTone(std::span<const float> x, double hz) {
  const double w = 2.0 * std::numbers::pi * hz / kSampleRate;
  double c = 0;
  double s = 0;
  for (std::size_t n = 0; n < x.size(); ++n) {
    c += static_cast<double>(x[n]) * std::cos(w * static_cast<double>(n));
    s += static_cast<double>(x[n]) * std::sin(w * static_cast<double>(n));
  }
  c *= 2.0 / static_cast<double>(x.size());
  s *= 2.0 / static_cast<double>(x.size());
  double residual = 0;
  for (std::size_t n = 0; n < x.size(); ++n) {
    const double e = static_cast<double>(x[n]) - c * std::cos(w * static_cast<double>(n)) - s * std::sin(w * static_cast<double>(n));
    residual += e * e;
  }
  return {std::hypot(c, s), std::sqrt(residual / static_cast<double>(x.size()))};
}

}  // namespace talvir::testing
