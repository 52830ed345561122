#include "soak_traffic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "common/decoder_links.h"
#include "testbench/carrier_interferer.h"
#include "testbench/frames/acars_block.h"
#include "testbench/frames/burst_padding.h"
#include "testbench/frames/coordinates.h"
#include "testbench/frames/hfnpdu_builder.h"
#include "testbench/frames/lpdu_builder.h"
#include "testbench/frames/mpdu_builder.h"
#include "testbench/frames/squitter_builder.h"
#include "testbench/frames/system_table_builder.h"
#include "testbench/scenario_renderer.h"

namespace talvir::soak {
namespace {

using testbench::FadingPreset;

constexpr int kSlots = 13;
constexpr int kSystemTableVersion = 1717;
constexpr int kSystemTablePackets = 2;
// Every this many segments slots 1 and 2 carry the system table.
constexpr uint64_t kSystemTableEvery = 16;
constexpr double kVhfMessageSeconds[] = {4.0, 19.0};

std::vector<uint8_t> SystemTableData() {
  std::vector<testbench::SystemTableStation> stations;
  for (int id : {kSoakStationId, 3, 15}) {
    testbench::SystemTableStation station{.id = id,
                                          .utcSynced = true,
                                          .latitudeCode = testbench::LatitudeCode(10.0 + id),
                                          .longitudeCode = testbench::LongitudeCode(-20.0 - id)};
    for (int k = 0; k < 5; ++k) station.frequencies.push_back({static_cast<uint32_t>(21900000 - k * 2900000), k});
    stations.push_back(std::move(station));
  }
  return testbench::EncodeSystemTableData(stations);
}

const std::vector<std::vector<uint8_t>>& SystemTableFrames() {
  static const std::vector<std::vector<uint8_t>> frames = [] {
    std::vector<std::vector<uint8_t>> built;
    for (const auto& packet :
         testbench::BuildSystemTableHfnpdus(kSystemTableVersion, SystemTableData(), kSystemTablePackets)) {
      const testbench::GroundMpduBlock block{
          .aid = testbench::kAidBroadcast, .maxBitRateCode = 4, .lpdus = {testbench::BuildUnnumberedDataLpdu(packet)}};
      built.push_back(testbench::BuildGroundMpdu({.groundStationId = kSoakStationId, .utcSynced = true}, {block}));
    }
    return built;
  }();
  return frames;
}

std::vector<uint8_t> AcarsFrame(uint64_t serial) {
  const bool downlink = serial % 2 == 0;
  const auto block = testbench::BuildAcarsBlock({.registration = ".SOAK42",
                                                 .label = "H1",
                                                 .blockId = downlink ? '3' : 'C',
                                                 .downlink = downlink,
                                                 .messageNumber = downlink ? "M01A" : "",
                                                 .flightId = downlink ? "SK0042" : "",
                                                 .text = SerialToken(SentKind::kHfdlAcars, serial)});
  const auto lpdu = testbench::BuildUnnumberedDataLpdu(testbench::BuildAcarsHfnpdu(block));
  if (downlink) {
    return testbench::BuildAirMpdu({.groundStationId = kSoakStationId,
                                    .utcSynced = true,
                                    .aid = static_cast<uint8_t>(kSoakAid),
                                    .maxBitRateCode = 4},
                                   {lpdu});
  }
  const testbench::GroundMpduBlock uplink{.aid = static_cast<uint8_t>(kSoakAid), .maxBitRateCode = 4, .lpdus = {lpdu}};
  return testbench::BuildGroundMpdu({.groundStationId = kSoakStationId, .utcSynced = true}, {uplink});
}

std::vector<uint8_t> SquitterFrame(uint64_t index) {
  testbench::SquitterFields fields;
  fields.stations[0] = {.id = kSoakStationId, .utcSynced = true, .frequencyMask = 0x1F};
  fields.stations[1] = {.id = 3, .utcSynced = true, .frequencyMask = 0x3};
  fields.stations[2] = {.id = 15, .utcSynced = false, .frequencyMask = 0x5};
  fields.frameIndex = static_cast<int>(index % kSegmentsPerDay);
  fields.systemTableVersion = kSystemTableVersion;
  return testbench::BuildSquitter(fields);
}

bool LongBurst(int rateCode) { return rateCode % 2 == 1; }

}  // namespace

const char* ConditionName(Condition condition) {
  static constexpr const char* kNames[kConditionCount] = {"clean", "fading", "carrier", "dc offset",
                                                          "weak",  "noise",  "silence", "clipped"};
  return kNames[static_cast<int>(condition)];
}

std::string SerialToken(SentKind kind, uint64_t serial) {
  char text[32];
  std::snprintf(text, sizeof text, "%sSOAK%07llu", kind == SentKind::kVhfAcars ? "V" : "",
                static_cast<unsigned long long>(serial % 10000000));
  return text;
}

int64_t FindSerial(SentKind kind, const std::string& text) {
  const std::string prefix = kind == SentKind::kVhfAcars ? "VSOAK" : "SOAK";
  for (std::size_t at = text.find(prefix); at != std::string::npos; at = text.find(prefix, at + 1)) {
    // "SOAK" inside "VSOAK" is the other kind's.
    if (kind != SentKind::kVhfAcars && at > 0 && text[at - 1] == 'V') continue;
    const std::string number = text.substr(at + prefix.size(), 7);
    if (number.size() == 7 && std::ranges::all_of(number, [](char c) { return c >= '0' && c <= '9'; }))
      return std::stoll(number);
  }
  return -1;
}

int SoakSystemTableVersion() { return kSystemTableVersion; }

Segment PlanSegment(uint64_t seed, uint64_t index) {
  std::mt19937_64 random(seed * 1000003 + index);
  auto uniform = [&random](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  Segment segment;
  segment.condition = static_cast<Condition>(index % kConditionCount);
  testbench::Scenario& scenario = segment.scenario;
  scenario.durationSeconds = kSegmentSeconds;
  scenario.seed = seed * 7919 + index;
  scenario.stereo = true;
  scenario.hf.carrierOffsetHz = uniform(-40, 40);
  scenario.vhf.snrDb = uniform(6, 30);
  const bool gentle = segment.condition == Condition::kClean;
  constexpr FadingPreset kFadings[] = {FadingPreset::kNone, FadingPreset::kQuiet, FadingPreset::kModerate,
                                       FadingPreset::kDisturbed, FadingPreset::kFlutter};
  scenario.hf.fading = gentle ? FadingPreset::kNone : kFadings[random() % 5];
  switch (segment.condition) {
    case Condition::kClean:
      scenario.hf.snrDb = uniform(20, 30);
      break;
    case Condition::kFading:
      scenario.hf.snrDb = uniform(8, 30);
      break;
    case Condition::kCarrier:
      scenario.hf.snrDb = uniform(10, 25);
      segment.carrierLevelDb = uniform(0, 12);
      segment.carrierFrequencyHz = uniform(500, 2500);
      break;
    case Condition::kDcOffset:
      scenario.hf.snrDb = uniform(10, 25);
      scenario.hf.dcOffset = {.level = uniform(-0.3, 0.3), .driftAmplitude = 0.05, .driftHz = 0.2};
      scenario.vhf.dcOffset = {.level = uniform(-0.3, 0.3), .driftAmplitude = 0.1, .driftHz = 0.5};
      break;
    case Condition::kWeak:
      scenario.hf.snrDb = uniform(-4, 6);
      break;
    case Condition::kNoise:
      scenario.hf.snrDb = 10;
      break;
    case Condition::kSilence:
      scenario.vhf.snrDb.reset();
      break;
    case Condition::kClipped:
      scenario.hf.snrDb = uniform(15, 30);
      scenario.hf.amplitude = 1.5f;  // well beyond full scale at every peak
      scenario.vhf.amplitude = 1.6f;
      break;
  }
  if (segment.condition == Condition::kNoise || segment.condition == Condition::kSilence) return segment;

  const bool strongHf = segment.condition == Condition::kClean;
  const double slotSeconds = static_cast<double>(kSegmentSeconds) / kSlots;
  auto addBurst = [&](int slot, int rateCode, std::vector<uint8_t> frame, SentItem item) {
    item.rateCode = rateCode;
    item.strong = strongHf;
    segment.sent.push_back(item);
    scenario.bursts.push_back({.startSeconds = slot * slotSeconds,
                               .rateCode = rateCode,
                               .frame = testbench::PadToBurst(frame, rateCode),
                               .description = ""});
  };
  addBurst(0, 6, SquitterFrame(index), {.kind = SentKind::kSquitter, .key = index % kSegmentsPerDay});
  int slot = 1;
  if (index % kSystemTableEvery == 1) {
    const auto& frames = SystemTableFrames();
    for (std::size_t packet = 0; packet < frames.size(); ++packet)
      addBurst(slot++, 4, frames[packet], {.kind = SentKind::kSystemTable, .key = packet});
  }
  // Serials unique over the run: 12 bursts a segment at most.
  uint64_t serial = index * 16;
  while (slot < kSlots) {
    int rateCode = static_cast<int>(random() % 8);
    if (LongBurst(rateCode) && slot + 1 >= kSlots) --rateCode;
    std::vector<uint8_t> frame = AcarsFrame(serial);
    // One zero byte at least after the frame ends the encoder in state 0.
    if (frame.size() >= static_cast<std::size_t>(testbench::BurstFrameBytes(rateCode))) rateCode = 4;
    addBurst(slot, rateCode, std::move(frame), {.kind = SentKind::kHfdlAcars, .key = serial});
    ++serial;
    slot += LongBurst(rateCode) ? 2 : 1;
  }
  for (double start : kVhfMessageSeconds) {
    const uint64_t vhfSerial = serial++;
    const auto block = testbench::BuildVhfAcarsBlock({.registration = ".N4242S",
                                                      .label = "H1",
                                                      .blockId = '2',
                                                      .messageNumber = "M02A",
                                                      .flightId = "SK4242",
                                                      .text = SerialToken(SentKind::kVhfAcars, vhfSerial)});
    scenario.vhfMessages.push_back({.startSeconds = start + uniform(0, 2), .block = block, .description = ""});
    segment.sent.push_back({.kind = SentKind::kVhfAcars,
                            .key = vhfSerial,
                            .strong = scenario.vhf.snrDb.value_or(99) >= 15 &&
                                      segment.condition != Condition::kClipped &&
                                      segment.condition != Condition::kDcOffset});
  }
  return segment;
}

void RenderSegment(const Segment& segment, std::vector<int16_t>& frames) {
  constexpr std::size_t kSamples = static_cast<std::size_t>(kSegmentSeconds) * kSampleRate;
  frames.assign(2 * kSamples, 0);
  if (segment.condition == Condition::kSilence) return;
  testbench::RenderedScenario rendered = testbench::RenderScenario(segment.scenario);
  rendered.left.resize(kSamples, 0.0f);
  rendered.right.resize(kSamples, 0.0f);
  if (segment.condition == Condition::kCarrier) {
    const double amplitude = segment.scenario.hf.amplitude;
    testbench::AddCarrier(
        rendered.left,
        {.frequencyHz = segment.carrierFrequencyHz, .levelDb = segment.carrierLevelDb, .driftHzPerSecond = 0.05},
        amplitude * amplitude / 2.0);
  }
  auto toPcm = [](float x) { return static_cast<int16_t>(std::lround(std::clamp(x, -1.0f, 1.0f) * 32767.0f)); };
  for (std::size_t i = 0; i < kSamples; ++i) {
    frames[2 * i] = toPcm(rendered.left[i]);
    frames[2 * i + 1] = toPcm(rendered.right[i]);
  }
}

}  // namespace talvir::soak
