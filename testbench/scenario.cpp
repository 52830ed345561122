#include "testbench/scenario.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>

#include "modem/hfdl_phy.h"
#include "testbench/frames/acars_block.h"
#include "testbench/frames/burst_padding.h"

namespace talvir::testbench {
namespace {

using Json = nlohmann::json;

// Limits that keep a typo from asking for hours of audio or absurd levels.
constexpr double kMaxDurationSeconds = 3600.0;
constexpr double kMaxSnrDb = 100.0;
constexpr double kMinSnrDb = -30.0;
constexpr double kMaxCarrierOffsetHz = 500.0;
constexpr double kMaxTimingOffsetMs = 1000.0;
constexpr double kMaxDcDriftHz = 20.0;  // a wander, not a tone

[[noreturn]] void Fail(const std::string& where, const std::string& what) { throw ScenarioError(where + ": " + what); }

void RequireObject(const Json& value, const std::string& where, std::initializer_list<std::string_view> keys) {
  if (!value.is_object()) Fail(where, "must be an object");
  for (const auto& [key, unused] : value.items()) {
    bool known = false;
    for (auto k : keys) known = known || key == k;
    if (!known) Fail(where, "unknown key \"" + key + "\"");
  }
}

double Number(const Json& object, const char* key, const std::string& where, double low, double high) {
  const Json& value = object.at(key);
  if (!value.is_number()) Fail(where + "." + key, "must be a number");
  const double v = value.get<double>();
  if (!(v >= low && v <= high)) {
    std::ostringstream range;
    range << "must lie between " << low << " and " << high;
    Fail(where + "." + key, range.str());
  }
  return v;
}

int Integer(const Json& object, const char* key, const std::string& where, int low, int high) {
  const Json& value = object.at(key);
  if (!value.is_number_integer()) Fail(where + "." + key, "must be a whole number");
  const auto v = value.get<long long>();
  if (v < low || v > high) Fail(where + "." + key, "must be " + std::to_string(low) + ".." + std::to_string(high));
  return static_cast<int>(v);
}

std::string Text(const Json& object, const char* key, const std::string& where) {
  const Json& value = object.at(key);
  if (!value.is_string()) Fail(where + "." + key, "must be a string");
  return value.get<std::string>();
}

bool Boolean(const Json& object, const char* key, const std::string& where) {
  const Json& value = object.at(key);
  if (!value.is_boolean()) Fail(where + "." + key, "must be true or false");
  return value.get<bool>();
}

char Character(const Json& object, const char* key, const std::string& where) {
  const std::string text = Text(object, key, where);
  if (text.size() != 1) Fail(where + "." + key, "must be one character");
  return text[0];
}

std::vector<uint8_t> HexBytes(const Json& object, const std::string& where) {
  const std::string text = Text(object, "hex", where);
  std::vector<uint8_t> bytes;
  int pending = -1;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    if (!std::isxdigit(static_cast<unsigned char>(c)))
      Fail(where + ".hex", std::string("'") + c + "' is not a hex digit");
    const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
    if (pending < 0) {
      pending = digit;
    } else {
      bytes.push_back(static_cast<uint8_t>(pending * 16 + digit));
      pending = -1;
    }
  }
  if (pending >= 0) Fail(where + ".hex", "odd number of hex digits");
  return bytes;
}

void ParseDcOffset(const Json& object, const std::string& where, DcOffset& offset) {
  if (object.contains("dc_offset")) offset.level = Number(object, "dc_offset", where, -1.0, 1.0);
  if (object.contains("dc_drift")) offset.driftAmplitude = Number(object, "dc_drift", where, 0.0, 1.0);
  if (object.contains("dc_drift_hz")) offset.driftHz = Number(object, "dc_drift_hz", where, 0.0, kMaxDcDriftHz);
}

ChannelSettings ParseChannel(const Json& object, const std::string& where, bool hf, ChannelSettings settings) {
  if (hf) {
    RequireObject(object, where, {"snr_db", "fading", "carrier_offset_hz", "timing_offset_ms", "amplitude"});
  } else {
    RequireObject(object, where, {"snr_db", "amplitude", "dc_offset", "dc_drift", "dc_drift_hz"});
    ParseDcOffset(object, where, settings.dcOffset);
  }
  if (object.contains("snr_db")) settings.snrDb = Number(object, "snr_db", where, kMinSnrDb, kMaxSnrDb);
  if (object.contains("amplitude"))
    settings.amplitude = static_cast<float>(Number(object, "amplitude", where, 0.0, 1.0));
  if (object.contains("fading")) {
    const auto preset = FadingPresetFromName(Text(object, "fading", where));
    if (!preset) Fail(where + ".fading", "must be none, quiet, moderate, disturbed or flutter");
    settings.fading = *preset;
  }
  if (object.contains("carrier_offset_hz")) {
    settings.carrierOffsetHz = Number(object, "carrier_offset_hz", where, -kMaxCarrierOffsetHz, kMaxCarrierOffsetHz);
  }
  if (object.contains("timing_offset_ms")) {
    settings.timingOffsetSeconds =
        Number(object, "timing_offset_ms", where, -kMaxTimingOffsetMs, kMaxTimingOffsetMs) / 1000.0;
  }
  return settings;
}

ScenarioBurst ParseBurst(const Json& object, const std::string& where, double frameStart) {
  RequireObject(object, where, {"time", "frame", "slot", "rate", "hex", "description"});
  ScenarioBurst burst;
  if (!object.contains("rate")) Fail(where, "needs \"rate\" (0..7)");
  if (!object.contains("hex")) Fail(where, "needs \"hex\" (the frame bytes)");
  burst.rateCode = Integer(object, "rate", where, 0, hfdl::kRateCodes - 1);
  burst.frame = HexBytes(object, where);
  const auto capacity = static_cast<std::size_t>(BurstFrameBytes(burst.rateCode));
  if (burst.frame.size() > capacity) {
    Fail(where + ".hex", std::to_string(burst.frame.size()) + " bytes do not fit a rate " +
                             std::to_string(burst.rateCode) + " burst of " + std::to_string(capacity));
  }
  const bool timed = object.contains("time");
  const bool slotted = object.contains("slot");
  if (timed == slotted) Fail(where, "needs either \"time\" (seconds) or \"slot\" (0..12), not both");
  if (timed) {
    if (object.contains("frame")) Fail(where, "\"frame\" goes with \"slot\", not with \"time\"");
    burst.startSeconds = Number(object, "time", where, 0.0, kMaxDurationSeconds);
  } else {
    const int slot = Integer(object, "slot", where, 0, hfdl::kSlotsPerFrame - 1);
    const int frame = object.contains("frame") ? Integer(object, "frame", where, 0, 1000) : 0;
    burst.startSeconds = frameStart + SlotStartSeconds(frame, slot);
  }
  burst.description = object.contains("description") ? Text(object, "description", where)
                                                     : "rate " + std::to_string(burst.rateCode) + " burst";
  return burst;
}

ScenarioVhfMessage ParseVhfMessage(const Json& object, const std::string& where) {
  RequireObject(object, where,
                {"time", "hex", "mode", "registration", "ack", "label", "block_id", "downlink", "message_number",
                 "flight", "text", "last_block", "description"});
  ScenarioVhfMessage message;
  if (!object.contains("time")) Fail(where, "needs \"time\" (seconds)");
  message.startSeconds = Number(object, "time", where, 0.0, kMaxDurationSeconds);
  if (object.contains("hex")) {
    for (const char* key : {"mode", "registration", "ack", "label", "block_id", "downlink", "message_number", "flight",
                            "text", "last_block"}) {
      if (object.contains(key)) Fail(where, "give either \"hex\" or the message fields, not both");
    }
    message.block = HexBytes(object, where);
    if (message.block.empty() || message.block.front() != kAcarsSoh) Fail(where + ".hex", "must start with SOH (01)");
  } else {
    AcarsMessage fields;
    if (object.contains("mode")) fields.mode = Character(object, "mode", where);
    if (object.contains("registration")) fields.registration = Text(object, "registration", where);
    if (object.contains("ack")) fields.technicalAck = Character(object, "ack", where);
    if (object.contains("label")) fields.label = Text(object, "label", where);
    if (object.contains("block_id")) fields.blockId = Character(object, "block_id", where);
    if (object.contains("downlink")) fields.downlink = Boolean(object, "downlink", where);
    if (object.contains("message_number")) fields.messageNumber = Text(object, "message_number", where);
    if (object.contains("flight")) fields.flightId = Text(object, "flight", where);
    if (object.contains("text")) fields.text = Text(object, "text", where);
    if (object.contains("last_block")) fields.lastBlock = Boolean(object, "last_block", where);
    try {
      message.block = BuildVhfAcarsBlock(fields);
    } catch (const std::invalid_argument& e) {
      Fail(where, e.what());
    }
  }
  message.description = object.contains("description") ? Text(object, "description", where) : "VHF ACARS message";
  return message;
}

// Calls `parse` with each entry of the list under `key` and its place, as in
// "bursts[2]".
template <typename ParseEntry>
void ForEachEntry(const Json& root, const char* key, ParseEntry parse) {
  if (!root.contains(key)) return;
  const Json& list = root.at(key);
  if (!list.is_array()) Fail(key, "must be a list");
  for (std::size_t i = 0; i < list.size(); ++i) parse(list[i], std::string(key) + "[" + std::to_string(i) + "]");
}

}  // namespace

double SlotStartSeconds(int frameNumber, int slot) {
  return frameNumber * static_cast<double>(hfdl::kFrameSeconds) +
         slot * static_cast<double>(hfdl::kFrameSeconds) / hfdl::kSlotsPerFrame;
}

Scenario ParseScenario(std::string_view text) {
  Json root;
  try {
    root = Json::parse(text);
  } catch (const Json::exception& e) {
    // A syntax error, or a number too large for a double. The library's text starts with its own tag in brackets; keep the rest.
    std::string what = e.what();
    const auto close = what.find("] ");
    throw ScenarioError("not valid JSON: " + (close == std::string::npos ? what : what.substr(close + 2)));
  }
  RequireObject(root, "scenario", {"seed", "duration", "frame_start", "stereo", "hf", "vhf", "bursts", "vhf_messages"});
  Scenario scenario;
  if (root.contains("seed")) {
    const Json& seed = root.at("seed");
    if (!seed.is_number_unsigned()) Fail("seed", "must be a whole number of zero or more");
    scenario.seed = seed.get<uint64_t>();
  }
  if (root.contains("duration"))
    scenario.durationSeconds = Number(root, "duration", "scenario", 0.1, kMaxDurationSeconds);
  const double frameStart = root.contains("frame_start") ? Number(root, "frame_start", "scenario", 0.0, 32.0) : 0.0;
  if (root.contains("hf")) scenario.hf = ParseChannel(root.at("hf"), "hf", true, scenario.hf);
  if (root.contains("vhf")) scenario.vhf = ParseChannel(root.at("vhf"), "vhf", false, scenario.vhf);
  ForEachEntry(root, "bursts", [&](const Json& entry, const std::string& where) {
    scenario.bursts.push_back(ParseBurst(entry, where, frameStart));
  });
  ForEachEntry(root, "vhf_messages", [&](const Json& entry, const std::string& where) {
    scenario.vhfMessages.push_back(ParseVhfMessage(entry, where));
  });
  scenario.stereo = !scenario.vhfMessages.empty() || root.contains("vhf");
  if (root.contains("stereo")) {
    scenario.stereo = Boolean(root, "stereo", "scenario");
    if (!scenario.stereo && !scenario.vhfMessages.empty()) Fail("stereo", "VHF messages need a stereo file");
  }
  if (scenario.bursts.empty() && scenario.vhfMessages.empty()) Fail("scenario", "has neither bursts nor vhf_messages");
  return scenario;
}

Scenario LoadScenario(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw ScenarioError(path.string() + ": cannot be read");
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  try {
    return ParseScenario(text);
  } catch (const ScenarioError& e) {
    throw ScenarioError(path.string() + ": " + e.what());
  }
}

}  // namespace talvir::testbench
