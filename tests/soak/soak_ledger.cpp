#include "soak_ledger.h"

#include <algorithm>
#include <variant>

namespace talvir::soak {

constexpr std::size_t kFalseReportsKept = 10;

void SoakLedger::Sent(const std::vector<SentItem>& items) {
  std::lock_guard lock(lock_);
  if (liveSegments_.size() == kLiveSegments) {
    // System-table packets go out again every 16 segments under the same key.
    for (const Key& key : liveSegments_.front()) {
      const auto found = entries_.find(key);
      Entry& entry = found->second;
      if (--entry.sent == 0) {
        entries_.erase(found);
      } else {
        entry.decoded = std::min(entry.decoded, entry.sent);
      }
    }
    liveSegments_.pop_front();
  }
  std::vector<Key>& keys = liveSegments_.emplace_back();
  for (const SentItem& item : items) {
    keys.emplace_back(item.kind, item.key);
    Entry& entry = entries_[keys.back()];
    entry.item = item;
    ++entry.sent;
    Tally& tally = TallyOf(item.kind);
    ++tally.sent;
    tally.strongSent += item.strong;
    if (item.kind != SentKind::kVhfAcars) ++totals_.sentByRate[static_cast<std::size_t>(item.rateCode)];
  }
}

void SoakLedger::Decoded(SentKind kind, uint64_t key, const std::string& what) {
  const auto found = entries_.find({kind, key});
  if (found == entries_.end() || found->second.decoded >= found->second.sent) return False(what);
  Entry& entry = found->second;
  ++entry.decoded;
  Tally& tally = TallyOf(kind);
  ++tally.decoded;
  tally.strongDecoded += entry.item.strong;
  if (kind != SentKind::kVhfAcars) ++totals_.decodedByRate[static_cast<std::size_t>(entry.item.rateCode)];
  if (kind == SentKind::kHfdlAcars || kind == SentKind::kVhfAcars) {
    std::vector<bool>& decoded = kind == SentKind::kHfdlAcars ? decodedHfdlAcars_ : decodedVhfAcars_;
    if (decoded.size() <= key) decoded.resize(key + 1);
    decoded[key] = true;
  }
}

void SoakLedger::False(const std::string& what) {
  ++totals_.falseFrames;
  if (totals_.falseReports.size() < kFalseReportsKept) totals_.falseReports.push_back(what);
}

void SoakLedger::JudgePendingMpdu() {
  // A header sent by the soak whose LPDUs all failed their checks is a frame
  // decoded in part, not a false one; any other header is false.
  if (mpduPending_ && !mpduDescription_.empty()) False(mpduDescription_);
  mpduPending_ = false;
}

void SoakLedger::OnSquitter(const BurstInfo&, const SquitterRecord& squitter) {
  std::lock_guard lock(lock_);
  JudgePendingMpdu();
  ++totals_.goodFrames;
  if (squitter.station1Id != kSoakStationId) return False("squitter of station " + std::to_string(squitter.station1Id));
  Decoded(SentKind::kSquitter, static_cast<uint64_t>(squitter.frameIndex),
          "squitter of frame " + std::to_string(squitter.frameIndex));
}

void SoakLedger::OnMpdu(const BurstInfo&, const MpduHeader& header) {
  std::lock_guard lock(lock_);
  JudgePendingMpdu();
  ++totals_.goodFrames;
  mpduPending_ = true;
  const bool ours =
      header.groundStationId == kSoakStationId && (header.direction == kDirectionGroundToAir || header.aid == kSoakAid);
  mpduDescription_ =
      ours ? "" : "MPDU of station " + std::to_string(header.groundStationId) + " AID " + std::to_string(header.aid);
}

void SoakLedger::OnLpdu(const BurstInfo&, const LpduRecord& lpdu) {
  std::lock_guard lock(lock_);
  const bool first = mpduPending_;
  mpduPending_ = false;
  // Only the first LPDU of an MPDU counts: the soak sends one each.
  if (!first) return False("a second LPDU in one MPDU");
  if (lpdu.hfnpdu) {
    const auto& content = lpdu.hfnpdu->content;
    const auto* packet = std::get_if<SystemTablePacket>(&content);
    if (packet != nullptr && packet->version == SoakSystemTableVersion())
      return Decoded(SentKind::kSystemTable, static_cast<uint64_t>(packet->sequenceNumber), "table packet");
    const auto* message = std::get_if<AcarsMessage>(&content);
    const int64_t serial = message != nullptr ? FindSerial(SentKind::kHfdlAcars, message->text) : -1;
    if (serial >= 0) return Decoded(SentKind::kHfdlAcars, static_cast<uint64_t>(serial), message->text);
  }
  False("LPDU of type " + std::to_string(lpdu.type) + " carrying nothing sent");
}

void SoakLedger::OnVhfAcars(const AcarsMessage& message) {
  std::lock_guard lock(lock_);
  const int64_t serial = FindSerial(SentKind::kVhfAcars, message.text);
  if (serial < 0) return False("VHF message \"" + message.text + "\"");
  Decoded(SentKind::kVhfAcars, static_cast<uint64_t>(serial), message.text);
}

void SoakLedger::Close() {
  std::lock_guard lock(lock_);
  JudgePendingMpdu();
}

SoakTotals SoakLedger::Totals() const {
  std::lock_guard lock(lock_);
  return totals_;
}

std::vector<std::string> SoakLedger::DecodedTokens() const {
  std::lock_guard lock(lock_);
  std::vector<std::string> tokens;
  for (const auto& [kind, decoded] :
       {std::pair{SentKind::kHfdlAcars, &decodedHfdlAcars_}, std::pair{SentKind::kVhfAcars, &decodedVhfAcars_}}) {
    for (std::size_t serial = 0; serial < decoded->size(); ++serial)
      if ((*decoded)[serial]) tokens.push_back(SerialToken(kind, serial));
  }
  return tokens;
}

}  // namespace talvir::soak
