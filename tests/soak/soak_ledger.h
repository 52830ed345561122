#pragma once
// The soak's books: every frame and message sent, and every record the
// decoders hand the outputs. A record is matched to what was sent by the key
// it carries; one that matches nothing, or matches something already
// decoded, is a false frame.
//
// The source thread writes what is sent, the worker what is decoded, the
// main thread reads the totals: one lock over all of it.
//
// The books stay the same size over a day: what was sent is kept for
// kLiveSegments segments only (a record of anything older is false, as no
// burst comes out of the pipeline that late), and the ACARS serials decoded
// are kept as one bit each. Otherwise the soak's own books would read as
// growth of the receiver's memory.

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "common/record_sink.h"
#include "soak_traffic.h"

namespace talvir::soak {

struct Tally {
  uint64_t sent = 0;
  uint64_t decoded = 0;  // matched once each
  uint64_t strongSent = 0;
  uint64_t strongDecoded = 0;
};

struct SoakTotals {
  Tally hfdl;
  Tally vhf;
  uint64_t falseFrames = 0;  // matched nothing sent, or a second time
  uint64_t goodFrames = 0;   // squitters and MPDUs whose checks passed
  std::vector<uint64_t> sentByRate = std::vector<uint64_t>(8);
  std::vector<uint64_t> decodedByRate = std::vector<uint64_t>(8);
  std::vector<std::string> falseReports;  // the first few, for the report
};

class SoakLedger final : public RecordSink {
 public:
  void Sent(const std::vector<SentItem>& items);

  void OnSquitter(const BurstInfo& burst, const SquitterRecord& squitter) override;
  void OnMpdu(const BurstInfo& burst, const MpduHeader& header) override;
  void OnLpdu(const BurstInfo& burst, const LpduRecord& lpdu) override;
  void OnVhfAcars(const AcarsMessage& message) override;
  // An MPDU whose header passed but that carried nothing sent is judged when
  // the next frame begins; call once decoding has ended.
  void Close();

  SoakTotals Totals() const;
  // The serials of HFDL and VHF ACARS messages decoded, for the log check.
  std::vector<std::string> DecodedTokens() const;

 private:
  // 8.5 minutes of audio, so the ten minutes the suite runs retire some too.
  static constexpr std::size_t kLiveSegments = 16;
  using Key = std::pair<SentKind, uint64_t>;
  struct Entry {
    SentItem item;
    int sent = 0;
    int decoded = 0;
  };
  Tally& TallyOf(SentKind kind) { return kind == SentKind::kVhfAcars ? totals_.vhf : totals_.hfdl; }
  void Decoded(SentKind kind, uint64_t key, const std::string& what);
  void False(const std::string& what);
  void JudgePendingMpdu();

  mutable std::mutex lock_;
  std::map<Key, Entry> entries_;
  std::deque<std::vector<Key>> liveSegments_;  // the keys each live segment sent
  std::vector<bool> decodedHfdlAcars_;         // by serial
  std::vector<bool> decodedVhfAcars_;
  SoakTotals totals_;
  bool mpduPending_ = false;  // header decoded, nothing sent matched in it yet
  std::string mpduDescription_;
};

}  // namespace talvir::soak
