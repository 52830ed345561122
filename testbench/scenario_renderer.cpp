#include "testbench/scenario_renderer.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "common/decoder_links.h"
#include "testbench/gaussian_source.h"
#include "testbench/hf_channel.h"
#include "testbench/hfdl_modulator.h"
#include "testbench/msk_modulator.h"

namespace talvir::testbench {
namespace {

enum SeedStream : uint64_t { kHfChannelStream = 10, kVhfChannelStream = 11, kBurstPhaseStream = 12 };

constexpr double kTrailingSeconds = 1.0;

std::size_t SampleAt(double seconds) { return static_cast<std::size_t>(std::lround(seconds * kSampleRate)); }

void AddAt(std::vector<float>& track, std::size_t at, const std::vector<float>& signal) {
  if (track.size() < at + signal.size()) track.resize(at + signal.size(), 0.0f);
  for (std::size_t i = 0; i < signal.size(); ++i) track[at + i] += signal[i];
}

void Report(const ProgressReport& progress, const std::string& line) {
  if (progress) progress(line);
}

ChannelOptions ChannelFor(const ChannelSettings& settings, uint64_t seed) {
  ChannelOptions options;
  options.snrDb = settings.snrDb;
  const auto amplitude = static_cast<double>(settings.amplitude);
  options.signalPower = amplitude * amplitude / 2.0;
  options.fading = settings.fading;
  options.carrierOffsetHz = settings.carrierOffsetHz;
  options.timingOffsetSeconds = settings.timingOffsetSeconds;
  options.dcOffset = settings.dcOffset;
  options.seed = seed;
  return options;
}

std::string Describe(const ChannelSettings& settings, bool hf) {
  char text[160];
  if (settings.snrDb) {
    std::snprintf(text, sizeof text, "SNR %.1f dB in %.0f Hz", *settings.snrDb, kPassbandHighHz - kPassbandLowHz);
  } else {
    std::snprintf(text, sizeof text, "no noise");
  }
  std::string line = text;
  if (hf) {
    std::snprintf(text, sizeof text, ", %s fading, carrier offset %.1f Hz, timing offset %.2f ms",
                  std::string(FadingPresetName(settings.fading)).c_str(), settings.carrierOffsetHz,
                  settings.timingOffsetSeconds * 1000.0);
    line += text;
  }
  if (settings.dcOffset.level != 0.0 || settings.dcOffset.driftAmplitude != 0.0) {
    std::snprintf(text, sizeof text, ", DC offset %.2f wandering %.2f at %.2f Hz", settings.dcOffset.level,
                  settings.dcOffset.driftAmplitude, settings.dcOffset.driftHz);
    line += text;
  }
  return line;
}

std::size_t CountClipped(const std::vector<float>& track) {
  std::size_t clipped = 0;
  for (float x : track) clipped += std::abs(x) > 1.0f;
  return clipped;
}

}  // namespace

RenderedScenario RenderScenario(const Scenario& scenario, const ProgressReport& progress) {
  if (!scenario.stereo && !scenario.vhfMessages.empty()) throw ScenarioError("VHF messages need a stereo file");
  RenderedScenario out;
  // Each transmitter keys up with its own carrier phase.
  GaussianSource phases(MixSeed(scenario.seed, kBurstPhaseStream));
  std::size_t end = 0;
  std::string lastName;
  const auto note = [&](std::size_t signalEnd, const std::string& name) {
    if (signalEnd > end) {
      end = signalEnd;
      lastName = name;
    }
  };

  Report(progress, "modulating " + std::to_string(scenario.bursts.size()) + " HFDL bursts");
  for (std::size_t i = 0; i < scenario.bursts.size(); ++i) {
    const auto& burst = scenario.bursts[i];
    HfdlBurstOptions options;
    options.amplitude = scenario.hf.amplitude;
    options.carrierPhase = 2.0 * std::numbers::pi * phases.Uniform();
    const auto audio = ModulateHfdlBurst(burst.frame, burst.rateCode, options);
    const std::size_t at = SampleAt(burst.startSeconds);
    AddAt(out.left, at, audio);
    note(at + audio.size(), "bursts[" + std::to_string(i) + "]");
  }
  if (scenario.stereo) {
    Report(progress, "modulating " + std::to_string(scenario.vhfMessages.size()) + " VHF ACARS messages");
    for (std::size_t i = 0; i < scenario.vhfMessages.size(); ++i) {
      const auto& message = scenario.vhfMessages[i];
      MskOptions options;
      options.amplitude = scenario.vhf.amplitude;
      options.initialPhase = 2.0 * std::numbers::pi * phases.Uniform();
      const auto audio = ModulateVhfAcars(message.block, options);
      const std::size_t at = SampleAt(message.startSeconds);
      AddAt(out.right, at, audio);
      note(at + audio.size(), "vhf_messages[" + std::to_string(i) + "]");
    }
  }

  std::size_t length = end + SampleAt(kTrailingSeconds);
  if (scenario.durationSeconds > 0.0) {
    length = SampleAt(scenario.durationSeconds);
    if (end > length) {
      throw ScenarioError("duration: " + lastName + " ends at " +
                          std::to_string(static_cast<double>(end) / kSampleRate) +
                          " s, after the end of the recording");
    }
  }
  out.left.resize(length, 0.0f);
  if (scenario.stereo) out.right.resize(length, 0.0f);

  Report(progress, "HF channel: " + Describe(scenario.hf, true));
  out.left = ApplyChannel(out.left, ChannelFor(scenario.hf, MixSeed(scenario.seed, kHfChannelStream)));
  if (scenario.stereo) {
    Report(progress, "VHF channel: " + Describe(scenario.vhf, false));
    out.right = ApplyChannel(out.right, ChannelFor(scenario.vhf, MixSeed(scenario.seed, kVhfChannelStream)));
  }
  out.clippedSamples = CountClipped(out.left) + CountClipped(out.right);
  return out;
}

}  // namespace talvir::testbench
