#pragma once
// The newest HFDL system table heard: ground-station positions and
// frequencies. Its in-memory layout is also the file configs/talvir.dat
// (23568 bytes, little-endian int32 throughout). Written by the system-table
// decoder on the worker thread, read by both threads under one lock.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>

namespace talvir {

inline constexpr int kSystemTableMaxStations = 128;
inline constexpr int kSystemTableMaxFrequencies = 20;  // stored per station

struct SystemTableFrequencyEntry {
  uint32_t frequencyHz;
  int32_t masterFrameSlot;
};

struct SystemTableStation {
  int32_t id;
  int32_t utcFlag;
  int32_t longitude;       // 20-bit coordinate code
  int32_t latitude;        // 20-bit coordinate code
  int32_t frequencyCount;  // as received, 0..31; at most 20 are stored
  int32_t squitterVersion;
  SystemTableFrequencyEntry frequencies[kSystemTableMaxFrequencies];
};

struct SystemTable {
  int32_t packetCount;
  int32_t sequenceNumber;  // of the packet that completed the table
  int32_t version;         // 12-bit table version; -1 = not to be saved
  int32_t stationCount;    // 0..128
  SystemTableStation stations[kSystemTableMaxStations];
};

inline constexpr std::size_t kSystemTableFileSize = 23568;
static_assert(sizeof(SystemTableStation) == 184);
static_assert(sizeof(SystemTable) == kSystemTableFileSize);

// The counts as a reader may use them: a table from a damaged file may hold
// anything there.
int UsableStationCount(const SystemTable& table);
int UsableFrequencyCount(const SystemTableStation& station);

class SystemTableStore {
 public:
  SystemTableStore();
  SystemTableStore(const SystemTableStore&) = delete;
  SystemTableStore& operator=(const SystemTableStore&) = delete;

  // Reads the file (a short file fills the leading part) and sorts each
  // station's frequencies in descending order; systemTableValid tells whether
  // the file was read. Returns that flag.
  bool Load(const std::filesystem::path& file);
  // Writes the whole record unless its version is -1. False when writing failed.
  bool Save(const std::filesystem::path& file) const;

  // Replaces the stored table when the new version is greater.
  // Returns whether it did.
  bool StoreSystemTable(const SystemTable& table);
  SystemTable Snapshot() const;
  int32_t Version() const;

  // Frequency `number` (1..20) of a station in Hz; nullopt when the table is
  // not valid or does not hold that station or that many of its frequencies.
  std::optional<uint32_t> HeldFrequencyHz(int stationId, int number) const;
  // The same, or `number` itself when the table does not hold it.
  uint32_t SystemTableFrequency(int stationId, int number) const;

  // Whether the stored table matches the one on the air (set by each good
  // squitter) or, before that, whether the file was read.
  bool SystemTableValid() const { return systemTableValid_.load() != 0; }
  void SetSystemTableValid(bool valid) { systemTableValid_.store(valid ? 1 : 0); }

 private:
  mutable std::mutex lock_;
  SystemTable table_{};
  std::atomic<int> systemTableValid_{0};
};

// Puts each station's stored frequencies in descending order of frequency,
// the master frame slots moving with them.
void SortFrequenciesDescending(SystemTable& table);

}  // namespace talvir
