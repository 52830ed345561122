#include "testbench/frames/demo_traffic.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

#include "modem/hfdl_phy.h"
#include "testbench/frames/acars_block.h"
#include "testbench/frames/burst_padding.h"
#include "testbench/frames/coordinates.h"
#include "testbench/frames/hfnpdu_builder.h"
#include "testbench/frames/lpdu_builder.h"
#include "testbench/frames/mpdu_builder.h"
#include "testbench/frames/squitter_builder.h"
#include "testbench/frames/system_table_builder.h"

namespace talvir::testbench {
namespace {

constexpr int kFirstFrameIndex = 1237;  // 10:59:44 UTC
constexpr int kSlotOffset = 2;
constexpr int kTableVersion = 52;
constexpr int kTablePackets = 2;
constexpr int kSquitterVersion = 1;

// Aircraft over the North Atlantic at about 900 km/h.
struct Flight {
  uint8_t aid;
  uint32_t icao;
  const char* flightId;
  const char* registration;
  double latitude;  // at the start of frame 0
  double longitude;
  double latitudePerFrame;
  double longitudePerFrame;
  uint8_t flightLeg;
  uint8_t frequencyIndex;  // the station frequency the aircraft works
};

constexpr Flight kAerLingus{0x21, 0x4CA9C4, "EI0105", "EI-FNH", 53.21, -24.62, 0.004, -0.126, 3, 3};
constexpr Flight kSpeedbird{0x35, 0x406B2E, "BA0117", "G-XWBA", 55.84, -31.40, -0.006, -0.131, 1, 3};
constexpr Flight kUnited{0x44, 0xA2E1C4, "UA0930", "N27015", 51.07, -38.71, -0.008, -0.119, 2, 4};
constexpr Flight kDelta{0x52, 0xABD0E2, "DL0040", "N862DA", 49.73, -15.20, 0.011, 0.122, 5, 3};
// Logs on during the first frame and gets AID 0x2A.
constexpr Flight kAirCanada{0x2A, 0xC05A2B, "AC0850", "C-FIVS", 56.42, -20.05, -0.002, -0.128, 1, 4};
// Asks to log on and is turned away.
constexpr uint32_t kDeniedIcao = 0x3C6DD1;
// Comes back with a log-on resume in the last frame and keeps AID 0x63.
constexpr Flight kKlm{0x63, 0x4840D6, "KL0601", "PH-BVA", 57.90, -26.33, 0.003, -0.124, 2, 3};

constexpr std::array<const Flight*, 6> kFlights = {&kAerLingus, &kSpeedbird, &kUnited,
                                                   &kDelta,     &kAirCanada, &kKlm};

std::string SenderOf(uint8_t aid) {
  for (const Flight* f : kFlights) {
    if (f->aid == aid) return f->flightId;
  }
  return aid == kAidLogon ? "aircraft logging on" : "aircraft";
}

// The active frequencies (bit i = frequency i+1) of the three stations the
// squitters announce: Shannon itself, Reykjavik and Riverhead.
constexpr std::array<SquitterStation, 3> kSquitterStations = {
    SquitterStation{kDemoGroundStationId, true, 0x3B}, SquitterStation{3, true, 0x5E},
    SquitterStation{4, true, 0x36}};

struct TableStation {
  int id;
  double latitude;
  double longitude;
  std::array<int, 7> khz;  // 0 ends the list early
};

constexpr std::array<TableStation, 12> kTableStations = {{
    {1, 37.40, -122.10, {21934, 17919, 13276, 11327, 10081, 8927, 5508}},
    {2, 21.18, -157.18, {21937, 17934, 13324, 11348, 8936, 6565, 5514}},
    {3, 64.08, -21.85, {17985, 15025, 11184, 8977, 6712, 5720, 3900}},
    {4, 40.88, -72.64, {21931, 17919, 13276, 11387, 8912, 6661, 5652}},
    {5, -37.02, 174.81, {17916, 13351, 10084, 8921, 6535, 5583, 0}},
    {6, 6.93, 100.39, {21949, 17928, 13270, 10066, 8825, 6535, 5655}},
    {7, 52.70, -8.92, {11384, 10081, 8942, 6532, 5547, 3455, 2998}},
    {8, -26.13, 28.21, {21949, 17922, 13321, 11321, 8834, 6529, 4681}},
    {9, 71.29, -156.79, {21937, 17934, 11354, 8936, 6646, 5544, 0}},
    {13, -17.65, -63.13, {21997, 17916, 13315, 11318, 8957, 6589, 4660}},
    {15, 26.27, 50.63, {21982, 17967, 13354, 11348, 8885, 5544, 0}},
    {17, 27.93, -15.39, {21955, 17928, 13303, 11184, 8948, 6529, 5589}},
}};

std::vector<uint8_t> SystemTableData() {
  std::vector<SystemTableStation> stations;
  for (const TableStation& t : kTableStations) {
    SystemTableStation s{.id = t.id,
                         .utcSynced = true,
                         .latitudeCode = LatitudeCode(t.latitude),
                         .longitudeCode = LongitudeCode(t.longitude),
                         .squitterVersion = kSquitterVersion};
    for (std::size_t i = 0; i < t.khz.size() && t.khz[i] != 0; ++i) {
      // Master frame slots spread over the frame.
      s.frequencies.push_back({static_cast<uint32_t>(t.khz[i]) * 1000u, static_cast<int>(i % 13)});
    }
    stations.push_back(std::move(s));
  }
  return EncodeSystemTableData(stations);
}

// What the squitters of the following frames say about a burst.
struct SlotUse {
  int frameNumber;
  int slot;
  int slotCount;       // 2 for a 4.2 s burst
  uint8_t assignment;  // slot assignment code
  bool acknowledged;   // an aircraft's MPDU the ground station acknowledges
  uint8_t aid;
};

class DemoBuilder {
 public:
  DemoTraffic Build();

 private:
  void Air(int frame, int slot, int rateCode, const AirMpduHeader& header, std::vector<Lpdu> lpdus,
           std::string description);
  void Ground(int frame, int slot, int rateCode, std::vector<GroundMpduBlock> blocks,
              std::string description);
  void Add(int frame, int slot, int rateCode, const std::vector<uint8_t>& frameBytes,
           std::string description);
  void AddSquitters();
  SquitterFields SquitterFor(int frame) const;
  uint8_t AssignmentOf(int frame, int slot) const;

  void FirstFrame();
  void SecondFrame();
  void ThirdFrame();
  void VhfMessages();

  const std::vector<std::vector<uint8_t>> tablePackets_ =
      BuildSystemTableHfnpdus(kTableVersion, SystemTableData(), kTablePackets);
  DemoTraffic traffic_;
  std::vector<SlotUse> uses_;
};

int SlotsOf(int rateCode) { return hfdl::Rate(rateCode).longInterleaver ? 2 : 1; }

// The time the squitters announce for the start of the frame, plus the slot.
int SecondsOfDay(int frame, int slot) {
  return (kFirstFrameIndex + frame) * hfdl::kSecondsPerFrame +
         (kSlotOffset + slot) * hfdl::kSecondsPerFrame / hfdl::kSlotsPerFrame;
}

PositionField PositionOf(const Flight& f, int frame, int slot) {
  const double progress = frame + static_cast<double>(slot) / hfdl::kSlotsPerFrame;
  return PositionFromDegrees(f.latitude + progress * f.latitudePerFrame,
                             f.longitude + progress * f.longitudePerFrame, SecondsOfDay(frame, slot));
}

AirMpduHeader AirHeader(uint8_t aid, uint8_t slotRequest = 0x09, int ur = 0) {
  return {.groundStationId = kDemoGroundStationId,
          .utcSynced = true,
          .aid = aid,
          .slotRequest = slotRequest,
          .maxBitRateCode = 4,
          .ur = ur,
          .urVector = 0};
}

Lpdu Data(const std::vector<uint8_t>& hfnpdu, bool acknowledged = false) {
  return BuildUnnumberedDataLpdu(hfnpdu, acknowledged);
}

Lpdu Performance(const Flight& f, int frame, int slot) {
  const auto sent = static_cast<uint8_t>(4 + 3 * frame + slot / 4);
  PerformanceData d{.flightId = f.flightId,
                    .position = PositionOf(f, frame, slot),
                    .performanceVersion = 1,
                    .flightLeg = f.flightLeg,
                    .groundStationId = kDemoGroundStationId,
                    .utcSynced = true,
                    .frequencyIndex = f.frequencyIndex,
                    .previousLegLostCount = 2,
                    .currentLegLostCount = static_cast<uint16_t>(frame),
                    .mpdusReceivedOk = {sent, 2, 1, 0},
                    .mpdusReceivedInError = {1, 0, 0, 0},
                    .squittersReceivedOk = static_cast<uint16_t>(41 + frame),
                    .squittersReceivedInError = 3,
                    .mpdusTransmitted = {static_cast<uint8_t>(sent + 1), 1, 0, 2},
                    .mpdusReceivedFirstTime = {sent, 2, 1, 0},
                    .frequencyChangeReason = 2};
  return Data(BuildPerformanceDataHfnpdu(d));
}

FrequencyData FrequencyReport(const Flight& f, int frame, int slot) {
  return {.flightId = f.flightId,
          .position = PositionOf(f, frame, slot),
          .entries = {{.groundStationId = kDemoGroundStationId,
                       .utcSynced = true,
                       .propagatingMask = 0x1B,
                       .tunedMask = 1u << f.frequencyIndex},
                      {.groundStationId = 3, .utcSynced = true, .propagatingMask = 0x0C, .tunedMask = 0},
                      {.groundStationId = 4, .utcSynced = true, .propagatingMask = 0x06, .tunedMask = 0}}};
}

std::vector<uint8_t> Downlink(const Flight& f, const char* label, char blockId, const char* messageNumber,
                              std::string text, bool lastBlock = true) {
  return BuildAcarsHfnpdu(BuildAcarsBlock({.registration = f.registration,
                                           .label = label,
                                           .blockId = blockId,
                                           .messageNumber = messageNumber,
                                           .flightId = f.flightId,
                                           .text = std::move(text),
                                           .lastBlock = lastBlock}));
}

std::vector<uint8_t> Uplink(const Flight& f, const char* label, char blockId, std::string text) {
  return BuildAcarsHfnpdu(BuildAcarsBlock({.registration = f.registration,
                                           .label = label,
                                           .blockId = blockId,
                                           .downlink = false,
                                           .text = std::move(text)}));
}

// The general response that acknowledges a downlink: no text at all.
std::vector<uint8_t> Acknowledgement(const Flight& f, char blockId) {
  return BuildAcarsHfnpdu(BuildAcarsBlock({.registration = f.registration,
                                           .technicalAck = '1',
                                           .label = "_\x7f",
                                           .blockId = blockId,
                                           .downlink = false}));
}

GroundMpduBlock Block(uint8_t aid, std::vector<Lpdu> lpdus) {
  return {.aid = aid, .maxBitRateCode = 4, .lpdus = std::move(lpdus)};
}

void DemoBuilder::Add(int frame, int slot, int rateCode, const std::vector<uint8_t>& frameBytes,
                      std::string description) {
  // At least one zero byte after the frame, so that the convolutional
  // encoder ends in state 0 as the receiver's traceback assumes.
  if (frameBytes.size() >= static_cast<std::size_t>(BurstFrameBytes(rateCode))) {
    throw std::logic_error("demo burst \"" + description + "\" leaves no zero byte in its burst");
  }
  traffic_.bursts.push_back({.frameNumber = frame,
                             .slot = slot,
                             .rateCode = rateCode,
                             .frame = PadToBurst(frameBytes, rateCode),
                             .description = std::move(description)});
}

void DemoBuilder::Air(int frame, int slot, int rateCode, const AirMpduHeader& header, std::vector<Lpdu> lpdus,
                      std::string description) {
  const bool logon = header.aid == kAidLogon;
  uses_.push_back(
      {frame, slot, SlotsOf(rateCode), logon ? kSlotRandomAccess : header.aid, !logon, header.aid});
  Add(frame, slot, rateCode, BuildAirMpdu(header, lpdus), SenderOf(header.aid) + ": " + description);
}

void DemoBuilder::Ground(int frame, int slot, int rateCode, std::vector<GroundMpduBlock> blocks,
                         std::string description) {
  uses_.push_back({frame, slot, SlotsOf(rateCode), kSlotUplinkOrUnassigned, false, 0});
  Add(frame, slot, rateCode,
      BuildGroundMpdu({.groundStationId = kDemoGroundStationId, .utcSynced = true}, blocks),
      "ground station: " + description);
}

uint8_t DemoBuilder::AssignmentOf(int frame, int slot) const {
  for (const SlotUse& u : uses_) {
    if (u.frameNumber == frame && slot >= u.slot && slot < u.slot + u.slotCount) return u.assignment;
  }
  return kSlotRandomAccess;
}

SquitterFields DemoBuilder::SquitterFor(int frame) const {
  SquitterFields f{.squitterVersion = kSquitterVersion,
                   .stations = kSquitterStations,
                   .frameIndex = kFirstFrameIndex + frame,
                   .slotOffset = kSlotOffset,
                   .priorityByte = 0x01,
                   .systemTableVersion = kTableVersion};
  // S03..S12 of this frame, S01 and S02 of the next.
  for (int i = 0; i < kSquitterSlotAssignments; ++i) {
    const bool nextFrame = i >= 10;
    f.slotAssignments[static_cast<std::size_t>(i)] =
        AssignmentOf(frame + (nextFrame ? 1 : 0), nextFrame ? i - 9 : i + 3);
  }
  // Aircraft MPDUs of S11(N-3) .. S10(N-1), by the slot they started in;
  // the codes run over slots 1..12 of each frame.
  constexpr int kAckSlotsPerFrame = hfdl::kSlotsPerFrame - 1;
  constexpr int kFirstAckedSlot = 10;  // S11 of frame N-3, counted from its S01
  for (const SlotUse& u : uses_) {
    if (!u.acknowledged) continue;
    const int index = (u.frameNumber - (frame - 3)) * kAckSlotsPerFrame + (u.slot - 1) - kFirstAckedSlot;
    if (index >= 0 && index < kSquitterAckCodes)
      f.ackCodes[static_cast<std::size_t>(index)] = AckCode(u.aid, true);
  }
  return f;
}

void DemoBuilder::AddSquitters() {
  for (int frame = 0; frame < kDemoFrames; ++frame) {
    Add(frame, 0, hfdl::kSquitterRateCode, BuildSquitter(SquitterFor(frame)), "squitter");
  }
  std::stable_sort(traffic_.bursts.begin(), traffic_.bursts.end(),
                   [](const DemoBurst& a, const DemoBurst& b) {
                     return a.frameNumber != b.frameNumber ? a.frameNumber < b.frameNumber : a.slot < b.slot;
                   });
}

void DemoBuilder::FirstFrame() {
  Air(0, 1, 6, AirHeader(kAidLogon, 0x01),
      {BuildLogonRequestLpdu(
          LpduType::kLogonRequest, kAirCanada.icao,
          BuildFrequencyDataHfnpdu({.flightId = kAirCanada.flightId,
                                    .position = PositionOf(kAirCanada, 0, 1),
                                    .entries = {FrequencyReport(kAirCanada, 0, 1).entries[0]}}))},
      "log-on request with frequency data");
  Ground(
      0, 2, 2,
      {Block(
           kAidLogon,
           {BuildLogonConfirmLpdu(
               LpduType::kLogonConfirm,
               {.icao = kAirCanada.icao, .assignedAid = kAirCanada.aid, .txw = 4, .dr = 0, .drVector = 0})}),
       Block(kAerLingus.aid, {Data(Acknowledgement(kAerLingus, 'S'))})},
      "log-on confirm, ACARS acknowledgement");
  Air(0, 3, 5, AirHeader(kSpeedbird.aid, 0x0A, 1),
      {Performance(kSpeedbird, 0, 3),
       Data(Downlink(kSpeedbird, "H1", '4', "F37A", "#DFB/ETA LHR 1412/FOB 0289/WND 27085"))},
      "performance report, ACARS downlink");
  Air(0, 5, 4, AirHeader(kAerLingus.aid), {Performance(kAerLingus, 0, 5)}, "performance report");
  Ground(0, 6, 0,
         {Block(kSpeedbird.aid,
                {Data(Acknowledgement(kSpeedbird, 'T')),
                 Data(Uplink(kSpeedbird, "C1", 'T', "WX LHR 1350Z 24012KT 9999 FEW025 12/07 Q1012"))}),
          Block(kUnited.aid,
                {Data(Uplink(kUnited, "RA", 'U', "CREW MSG: CONTACT GANDER 5649 AFTER 40W"), true)})},
         "ACARS uplinks");
  Ground(0, 7, 1, {Block(kAidBroadcast, {Data(tablePackets_[0])})}, "system table packet 1 of 2");
  Air(0, 9, 6, AirHeader(kUnited.aid), {Performance(kUnited, 0, 9)}, "performance report");
  Air(0, 10, 3, AirHeader(kAirCanada.aid, 0x11, 1),
      {Data(BuildFrequencyDataHfnpdu(FrequencyReport(kAirCanada, 0, 10))),
       Data(Downlink(kAirCanada, "Q0", '2', "M01A", "")), Data(BuildSystemTableRequestHfnpdu(31))},
      "frequency data, ACARS link test, system table request");
  Air(0, 12, 6, AirHeader(kDelta.aid), {Performance(kDelta, 0, 12)}, "performance report");
}

void DemoBuilder::SecondFrame() {
  Air(1, 1, 6, AirHeader(kAidLogon, 0x01), {BuildLogonRequestLpdu(LpduType::kLogonRequest, kDeniedIcao)},
      "log-on request");
  Ground(1, 2, 4, {Block(kAidLogon, {BuildReasonLpdu(LpduType::kLogonDenied, kDeniedIcao, 2)})},
         "log-on denied");
  Ground(1, 3, 2, {Block(kAidBroadcast, {Data(tablePackets_[1])})}, "system table packet 2 of 2");
  Air(1, 4, 6, AirHeader(kAerLingus.aid), {Data(Downlink(kAerLingus, "5Z", '5', "D02A", "/DUB OS ETA1708"))},
      "ACARS downlink");
  Air(1, 5, 7, AirHeader(kSpeedbird.aid, 0x00, 2),
      {BuildNumberedDataLpdu(
           {.typeByte = 0x02,
            .rn = 1,
            .us = 2,
            .pq = 3,
            .bsn = 1,
            .bduData = {0x41, 0x54, 0x4E, 0x20, 0x4C, 0x48, 0x52, 0x0D, 0x0A, 0x31, 0x34, 0x31, 0x32}}),
       Performance(kSpeedbird, 1, 5)},
      "numbered data, performance report");
  Ground(1, 7, 0,
         {Block(kAerLingus.aid, {Data(Acknowledgement(kAerLingus, 'V'))}),
          Block(kSpeedbird.aid, {Data(Uplink(kSpeedbird, "H1", 'W', "REQ POS REPORT AT 30W"), true)}),
          Block(kDelta.aid, {BuildReasonLpdu(LpduType::kLogoffRequest, kDelta.icao, 6)})},
         "ACARS uplinks, log-off");
  Air(1, 8, 6, AirHeader(kUnited.aid), {Data(BuildFrequencyDataHfnpdu(FrequencyReport(kUnited, 1, 8)))},
      "frequency data");
  Air(1, 9, 5, AirHeader(kAirCanada.aid, 0x09, 2),
      {Performance(kAirCanada, 1, 9),
       Data(Downlink(kAirCanada, "H1", '3', "F12B", "#M1BPOSN56259W021341,,111211,350,M51,,"))},
      "performance report, ACARS position");
  Ground(1, 11, 2,
         {Block(kAirCanada.aid, {Data(Acknowledgement(kAirCanada, 'X'))}),
          Block(kUnited.aid, {Data(BuildTestPacketHfnpdu({.vendor = 2,
                                                          .reaction = 3,
                                                          .frameDelay = 1,
                                                          .slotDelay = 4,
                                                          .priority = 7,
                                                          .reactionLength = 8,
                                                          .data = {0x54, 0x45, 0x53, 0x54}}))})},
         "ACARS acknowledgement, test packet");
  Air(1, 12, 4, AirHeader(kUnited.aid),
      {Data(BuildTestPacketHfnpdu(
          {.vendor = 2, .reaction = 128, .priority = 7, .data = {0x54, 0x45, 0x53, 0x54}}))},
      "test packet echo");
}

void DemoBuilder::ThirdFrame() {
  Air(2, 1, 6, AirHeader(kAerLingus.aid), {Performance(kAerLingus, 2, 1)}, "performance report");
  Air(2, 2, 3, AirHeader(kSpeedbird.aid, 0x12, 3),
      {Performance(kSpeedbird, 2, 2),
       Data(Downlink(kSpeedbird, "H1", '5', "F38A",
                     "#T2BPOSN55484W032150,,112019,370,M54,,\r\nFUEL 0281 TEMP M54 WIND 271/085"))},
      "performance report, ACARS position");
  Ground(2, 4, 2,
         {Block(kSpeedbird.aid, {Data(Acknowledgement(kSpeedbird, 'Y'))}),
          Block(kUnited.aid, {Data(Uplink(kUnited, "C1", 'Z', "RERTE VIA 51N040W 50N050W DOTTY"))})},
         "ACARS acknowledgement and uplink");
  Air(2, 5, 6, AirHeader(kUnited.aid), {Performance(kUnited, 2, 5)}, "performance report");
  Air(2, 6, 0, AirHeader(kAirCanada.aid, 0x09, 3),
      {Performance(kAirCanada, 2, 6), Data(BuildFrequencyDataHfnpdu(FrequencyReport(kAirCanada, 2, 6))),
       Data(Downlink(kAirCanada, "5Y", '4', "M02A", "REQ WX YYZ"))},
      "performance report, frequency data, ACARS downlink");
  Ground(2, 7, 4,
         {Block(kAirCanada.aid, {Data(Uplink(kAirCanada, "C1", 'A', "YYZ 1500Z 27010KT P6SM SCT040"))})},
         "ACARS uplink");
  Air(2, 8, 1, AirHeader(kAerLingus.aid, 0x0A, 1),
      {Data(Downlink(kAerLingus, "H1", '6', "D03A",
                     "#DFB/PIREP MOD TURB FL360 BTN 25W AND 27W SMOOTH ABOVE FL380 "
                     "TEMPS M58 EXPECT CONTINUATION IN NEXT BLOCK",
                     false)),
       Data(Downlink(kAerLingus, "H1", '7', "D03B", "#DFB/END OF REPORT"))},
      "ACARS downlink in two blocks");
  Air(2, 10, 6, AirHeader(kAidLogon, 0x01), {BuildLogonRequestLpdu(LpduType::kLogonResume, kKlm.icao)},
      "log-on resume");
  Ground(2, 11, 2,
         {Block(kAidLogon, {BuildLogonConfirmLpdu(LpduType::kLogonResumeConfirm,
                                                  {.icao = kKlm.icao, .assignedAid = kKlm.aid, .txw = 4})})},
         "log-on resume confirm");
  Air(2, 12, 6, AirHeader(kKlm.aid), {Performance(kKlm, 2, 12)}, "performance report");
}

void DemoBuilder::VhfMessages() {
  struct Vhf {
    double seconds;
    AcarsMessage message;
  };
  const std::array<Vhf, 4> messages = {{
      {6.5,
       {.registration = "G-EUUB",
        .label = "Q0",
        .blockId = '2',
        .messageNumber = "S01A",
        .flightId = "BA0304"}},
      {27.3,
       {.registration = "EI-DVM",
        .label = "5Z",
        .blockId = '7',
        .messageNumber = "M14A",
        .flightId = "EI0152",
        .text = "/DUB OS ETA1712 STAND 302"}},
      {52.8,
       {.registration = "G-EZAA",
        .label = "15",
        .blockId = '3',
        .messageNumber = "M22A",
        .flightId = "U20823",
        .text = "FST01EGGWLEMDN514732W0011523 360 M48 12712"}},
      {78.1,
       {.registration = "D-AIBA",
        .label = "H1",
        .blockId = '5',
        .messageNumber = "F51A",
        .flightId = "LH0923",
        .text = "#DFB/REQ GATE INFO FRA"}},
  }};
  for (const Vhf& v : messages) {
    traffic_.vhfMessages.push_back({.startSeconds = v.seconds,
                                    .block = BuildVhfAcarsBlock(v.message),
                                    .description = v.message.flightId + " " + v.message.label});
  }
}

DemoTraffic DemoBuilder::Build() {
  FirstFrame();
  SecondFrame();
  ThirdFrame();
  AddSquitters();
  VhfMessages();
  return std::move(traffic_);
}

}  // namespace

DemoTraffic BuildDemoTraffic() { return DemoBuilder().Build(); }

}  // namespace talvir::testbench
