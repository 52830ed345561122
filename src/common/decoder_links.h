#pragma once
// Where the demodulators hand their results to the decoders above them. The
// interfaces live here so that the modem and the VHF demodulator depend on
// nothing of the protocol layer, and tests can record what they hand over.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace talvir {

// Samples per channel in one capture block: 2500 stereo frames, 52 ms.
inline constexpr int kBlockFrames = 2500;
inline constexpr int kSampleRate = 48000;

// The worker feeds each channel's converted block (values in -1 .. +1) to the
// decoder its channel mode names.
class HfSampleSink {
 public:
  virtual ~HfSampleSink() = default;
  virtual void ModemFeedSamples(std::span<const float> samples) = 0;
};

class VhfBlockSink {
 public:
  virtual ~VhfBlockSink() = default;
  virtual void ProcessBlock(std::span<const float> samples) = 0;
};

// What the protocol decoder needs to know about the burst a frame came from.
struct BurstInfo {
  int rateCode = 0;           // 0..7
  int detectedSlotIndex = 0;  // 1..13: the slot in which the burst was detected
  int currentSlot = 0;        // 0..12: the slot clock when the frame completed
  std::string statusLine;     // the burst report, "TS(%d) %s FREQ ERR %s Hz Mag %d Votes %d "
  // The burst's quality as the report gives it, unrounded.
  double frequencyErrorHz = 0.0;  // carrier minus 1440 Hz
  float magnitude = 0.0f;         // the preamble's correlation peak
  int votes = 0;                  // training outputs that agreed, of 127
  // dB relative to a full-scale tone: the burst's mean power and the noise
  // floor between bursts.
  double signalLevelDb = 0.0;
  double noiseLevelDb = 0.0;
  // The channel's dial in kHz, where the receiver knows it (one of many
  // channels of an SDR).
  std::optional<double> frequencyKhz{};
};

// Receives the Viterbi-decoded bytes of one HFDL burst. Decodes them, closes
// the frame's decoded text (hex dump, flush) and returns whether the frame
// decoded (false only for a CRC failure). The bytes are valid during the call.
class HfdlFrameReceiver {
 public:
  virtual ~HfdlFrameReceiver() = default;
  virtual bool ReceiveFrame(std::span<const uint8_t> frame, const BurstInfo& burst) = 0;
  // Whether every check sequence of the frame holds, with nothing decoded or
  // shown: the modem asks before it hands a frame on and, when a check
  // fails, decodes the burst once more. A receiver that cannot tell says
  // yes, and the modem decodes every burst once.
  virtual bool FrameIntact(std::span<const uint8_t> /*frame*/) const { return true; }
};

// The modem's slot clock as the squitter decoder sees it: a good squitter
// restarts it at slot 0.
class SlotClockControl {
 public:
  virtual ~SlotClockControl() = default;
  virtual void SlotClockReset() = 0;
};

// How a VHF ACARS block was received.
struct VhfBlockQuality {
  // Mean in-band power over the block, in dB on the scale ACARS feeders
  // report (VhfLevelMeter); 0 until the demodulator measures it.
  double levelDb = 0.0;
  int correctedBits = 0;  // bits mended under the BCS
};

// Receives every VHF ACARS block whose BCS matched: bytes from SOH through the
// ETX or ETB, parity bits still set. Valid during the call.
class VhfMessageSink {
 public:
  virtual ~VhfMessageSink() = default;
  virtual void PrintVhfAcars(std::span<const uint8_t> block, const VhfBlockQuality& quality) = 0;
};

}  // namespace talvir
