#pragma once
// What the fuzz targets share: the protocol decoder as the receiver builds
// it, with every display option on, and bytes as a file the loaders open by
// name without touching the disk.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <utility>
#include <span>
#include <string>
#include <vector>

#include "common/crc16.h"
#include "config/settings.h"
#include "outputs/log_files.h"
#include "protocol/protocol_stack.h"

namespace talvir::fuzz {

// Stops the run (libFuzzer reports it as a crash with the input) when an
// output breaks a promise the target checks.
inline void Require(bool condition) {
  if (!condition) std::abort();
}

inline void ShowEverything(Settings& settings) {
  for (auto field : {&SettingsRecord::showHex, &SettingsRecord::showPreamble, &SettingsRecord::showMpdu,
                     &SettingsRecord::showSpdu, &SettingsRecord::showLpdu, &SettingsRecord::showBdu,
                     &SettingsRecord::showHfnpdu, &SettingsRecord::verbose, &SettingsRecord::showHAcars,
                     &SettingsRecord::showVAcars}) {
    settings.Set(field, 1);
  }
  settings.Set(&SettingsRecord::hfdlLogging, 0);
  settings.Set(&SettingsRecord::ostraleLogging, 0);
}

// A fresh decoder: aircraft database, ground stations, system table store.
struct Chain {
  explicit Chain(RecordSink& records = RecordSink::None()) : stack(Shown(settings), logs, outputs, outputs, SystemUtcNow, records) {}
  static const Settings& Shown(Settings& settings) {
    ShowEverything(settings);
    return settings;
  }
  Settings settings;
  // A folder that does not exist: the logs write nothing.
  LogFiles logs{settings, DataPaths{std::filesystem::path("/nonexistent-talvir-fuzz")}};
  NoExternalOutputs outputs;
  ProtocolStack stack;
};

// A fresh object for each input, built in the same memory every time: a new
// allocation of a decoder's size costs more than most inputs' decoding. One
// of each type at a time.
template <typename T>
class Fresh {
 public:
  template <typename... Args>
  explicit Fresh(Args&&... args) : object_(new (storage_) T(std::forward<Args>(args)...)) {}
  ~Fresh() { object_->~T(); }
  Fresh(const Fresh&) = delete;
  Fresh& operator=(const Fresh&) = delete;
  T* operator->() { return object_; }
  T& operator*() { return *object_; }

 private:
  alignas(T) static inline unsigned char storage_[sizeof(T)];
  T* object_;
};

// Writes the FCS over frame[start, start + n) after it, when it fits.
inline void SetFcs(std::vector<uint8_t>& frame, std::size_t start, std::size_t n) {
  if (start + n + 2 > frame.size()) return;
  const uint16_t fcs = HfdlFcs(std::span<const uint8_t>(frame).subspan(start, n));
  frame[start + n] = static_cast<uint8_t>(fcs);
  frame[start + n + 1] = static_cast<uint8_t>(fcs >> 8);
}

// Sets the squitter's FCS, or the MPDU header's and every LPDU's, so that
// mutations reach the decoders behind the checks.
inline void FixChecks(std::vector<uint8_t>& frame) {
  if (frame.empty()) return;
  if ((frame[0] & 1) == 0) return SetFcs(frame, 0, 64);
  std::vector<std::size_t> lengths;
  std::size_t header = 0;
  if (frame[0] & 2) {
    const std::size_t n = (frame[0] >> 2) & 0x0F;
    header = n + 6;
    for (std::size_t i = 0; i < n && 6 + i < frame.size(); ++i) lengths.push_back(frame[6 + i] + 1u);
  } else {
    std::size_t at = 2;
    for (int b = 0; b < ((frame[0] >> 4) & 7) + 1 && at + 1 < frame.size(); ++b) {
      const std::size_t m = frame[at + 1] >> 4;
      for (std::size_t i = 0; i < m && at + 2 + i < frame.size(); ++i) lengths.push_back(frame[at + 2 + i] + 1u);
      at += 2 + m;
    }
    header = at;
  }
  SetFcs(frame, 0, header);
  std::size_t offset = header + 2;
  for (std::size_t length : lengths) {
    if (length >= 2) SetFcs(frame, offset, length - 2);
    offset += length;
  }
}

// Splits an input into pieces: each a 16-bit little-endian length, then that
// many bytes (fewer at the end).
inline std::vector<std::span<const uint8_t>> Pieces(std::span<const uint8_t> data) {
  std::vector<std::span<const uint8_t>> pieces;
  while (data.size() >= 2) {
    const std::size_t n = std::min<std::size_t>(data[0] | (data[1] << 8), data.size() - 2);
    pieces.push_back(data.subspan(2, n));
    data = data.subspan(2 + n);
  }
  return pieces;
}

// The other way round, for the seed corpora.
inline void AppendPiece(std::vector<uint8_t>& input, std::span<const uint8_t> piece) {
  input.push_back(static_cast<uint8_t>(piece.size()));
  input.push_back(static_cast<uint8_t>(piece.size() >> 8));
  input.insert(input.end(), piece.begin(), piece.end());
}

// Bytes in memory under a path that open() and libsndfile take.
class MemoryFile {
 public:
  MemoryFile() : fd_(memfd_create("talvir-fuzz", 0)) { Require(fd_ >= 0); }
  ~MemoryFile() { close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  void Replace(std::span<const uint8_t> bytes) {
    Require(ftruncate(fd_, 0) == 0);
    Require(pwrite(fd_, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()));
    lseek(fd_, 0, SEEK_SET);
  }
  std::string Contents() const {
    std::string text;
    char buffer[4096];
    for (off_t at = 0;;) {
      const ssize_t n = pread(fd_, buffer, sizeof buffer, at);
      if (n <= 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
      at += n;
    }
    return text;
  }
  int Fd() const { return fd_; }
  std::filesystem::path Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

}  // namespace talvir::fuzz
