#pragma once
// The live feed's server logic: two links (HFDL positions, ACARS messages),
// each named by a service, topic and item from the settings. Decoders queue
// lines once a client has connected to the link's topic; clients take them
// by request or through an advise loop, oldest first. The transport (see
// dde_tcp_server.h) is separate, so the matching and queueing rules are
// tested without sockets.
//
// Threads: the Publish calls run on the worker, transactions on the
// transport's thread, advises on the timer thread. The queues carry their own
// lock; the pools and flags are guarded by one lock of their own.

#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

#include "common/pointer_ring.h"
#include "config/settings.h"
#include "outputs/output_sinks.h"

namespace talvir {

inline constexpr int kDdeQueueCapacity = 10;
inline constexpr int kDdeTextMaxLength = 499;  // a pool slot: 500 bytes with the terminator

enum class DdeLink { kHfdl, kAcars };

// The HFDL line of an aircraft: flight id, registration, ICAO address,
// position time, longitude and latitude, comma-separated, ending in ";".
std::string FormatDdeAircraftLine(const AircraftRecord& record);

class DdeServer {
 public:
  explicit DdeServer(const Settings& settings);
  DdeServer(const DdeServer&) = delete;
  DdeServer& operator=(const DdeServer&) = delete;

  // Takes the service names to accept connections for and the items to
  // advise on, as they stand now; later edits take part in matching only.
  void DdeServerStart();

  // Worker thread. Nothing is queued until a client connected to the link.
  void DdePublishAircraft(const AircraftRecord& record);
  void DdePublishAcars(std::string_view text);

  // Transactions; names compare exactly, case-sensitive.
  bool Connect(std::string_view service, std::string_view topic);
  bool AdviseStart(std::string_view item);
  // Whether the item named a link.
  bool AdviseStop(std::string_view item);
  // The oldest queued line of the item's link, removed; "" when there is none.
  std::string Request(std::string_view item);

  // The links an advise is due for at a tick: something queued and an advise
  // loop running. ACARS first.
  bool AdviseDue(DdeLink link);
  // The item an advise on the link is posted for (as at start).
  std::string AdviseItem(DdeLink link) const;
  // Which link an item names now; false for neither.
  bool ItemLink(std::string_view item, DdeLink& link) const;

  bool Connected(DdeLink link) const { return Flags(link).connected.load() != 0; }
  bool AdviseActive(DdeLink link) const { return Flags(link).adviseActive.load() != 0; }

 private:
  struct LinkFlags {
    std::atomic<int> connected{0};
    std::atomic<int> adviseActive{0};
  };
  struct Link {
    Link() : queue(kDdeQueueCapacity) {}
    std::array<std::array<char, kDdeTextMaxLength + 1>, kDdeQueueCapacity> pool{};
    int nextSlot = 0;
    PointerRing<char> queue;
    LinkFlags flags;
  };

  Link& LinkOf(DdeLink link) { return link == DdeLink::kHfdl ? hfdl_ : acars_; }
  const LinkFlags& Flags(DdeLink link) const { return (link == DdeLink::kHfdl ? hfdl_ : acars_).flags; }
  void Queue(Link& link, std::string_view text);
  bool PopInto(Link& link, std::string& text);

  const Settings& settings_;
  std::mutex poolLock_;  // the pools and slot cursors; held only to copy a text
  Link hfdl_;
  Link acars_;
  // As at start: the services registered and the items advised on.
  mutable std::mutex startNamesLock_;
  std::string hfdlService_, acarsService_, hfdlItem_, acarsItem_;
};

}  // namespace talvir
