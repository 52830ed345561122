#include <SoapySDR/Device.hpp>
#include <SoapySDR/Errors.hpp>
#include <SoapySDR/Formats.hpp>
#include <SoapySDR/Logger.hpp>

#include <algorithm>
#include <cstdio>
#include <exception>

#include "audio/sdr_device.h"

namespace talvir {
namespace {

constexpr long kReadTimeoutUs = 100000;  // how often a waiting read looks at the stop flag
constexpr std::size_t kChannel = 0;

class SoapyDevice final : public FloatFrameSource {
 public:
  SoapyDevice(SoapySDR::Device* device, SoapySDR::Stream* stream, double rate)
      : device_(device), stream_(stream), rate_(rate) {}
  ~SoapyDevice() override {
    device_->deactivateStream(stream_);
    device_->closeStream(stream_);
    SoapySDR::Device::unmake(device_);
  }
  SoapyDevice(const SoapyDevice&) = delete;
  SoapyDevice& operator=(const SoapyDevice&) = delete;

  int Channels() const override { return 2; }
  double Rate() const override { return rate_; }

  std::size_t ReadFloatFrames(std::span<float> out, const std::atomic<bool>& stop) override {
    void* buffers[] = {out.data()};
    while (!stop.load()) {
      int flags = 0;
      long long timeNs = 0;
      const int got = device_->readStream(stream_, buffers, out.size() / 2, flags, timeNs, kReadTimeoutUs);
      if (got > 0) return static_cast<std::size_t>(got);
      // A late read loses samples but the stream goes on; a timeout is a
      // device still starting up.
      if (got == SOAPY_SDR_OVERFLOW || got == SOAPY_SDR_TIMEOUT || got == 0) continue;
      // Anything else is the end of this receiver (unplugged, driver gone):
      // the run ends as a recording would, and says why.
      std::fprintf(stderr, "talvir: the SDR device stopped streaming: %s\n", SoapySDR::errToStr(got));
      return 0;
    }
    return 0;
  }

 private:
  SoapySDR::Device* device_;
  SoapySDR::Stream* stream_;
  double rate_;
};

}  // namespace

bool SdrDevicesSupported() { return true; }

std::optional<OpenedSdr> OpenSdrDevice(const SdrDeviceSpec& spec, std::string& error) {
  // The library's own chatter (module search, driver banners) would mix
  // into decoded text; its warnings and errors still show.
  SoapySDR::setLogLevel(SOAPY_SDR_WARNING);
  SoapySDR::Device* device = nullptr;
  try {
    device = SoapySDR::Device::make(spec.args);
  } catch (const std::exception& e) {
    error = "no SDR device matches soapy:" + spec.args + " (" + e.what() +
            "); is the device plugged in and its SoapySDR module installed? SoapySDRUtil --find "
            "(soapysdr-tools) lists what is found";
    return std::nullopt;
  }
  if (device == nullptr) {
    error = "no SDR device matches soapy:" + spec.args;
    return std::nullopt;
  }
  try {
    device->setSampleRate(SOAPY_SDR_RX, kChannel, spec.rate);
    device->setFrequency(SOAPY_SDR_RX, kChannel, spec.centreHz);
    if (spec.gainDb) {
      device->setGainMode(SOAPY_SDR_RX, kChannel, false);
      device->setGain(SOAPY_SDR_RX, kChannel, *spec.gainDb);
    } else if (device->hasGainMode(SOAPY_SDR_RX, kChannel)) {
      device->setGainMode(SOAPY_SDR_RX, kChannel, true);
    }
    // The device may round the rate; the channels are cut at the one it runs.
    const double rate = device->getSampleRate(SOAPY_SDR_RX, kChannel);
    SoapySDR::Stream* stream = device->setupStream(SOAPY_SDR_RX, SOAPY_SDR_CF32, {kChannel});
    if (device->activateStream(stream) != 0) {
      device->closeStream(stream);
      throw std::runtime_error("the stream does not start");
    }
    char description[200];
    std::snprintf(description, sizeof description, "SDR %s (%s) at %.0f samples/s tuned to %.3f kHz, gain %s",
                  device->getDriverKey().c_str(), device->getHardwareKey().c_str(), rate, spec.centreHz / 1e3,
                  spec.gainDb ? (std::to_string(*spec.gainDb) + " dB").c_str() : "automatic");
    return OpenedSdr{std::make_unique<SoapyDevice>(device, stream, rate), description};
  } catch (const std::exception& e) {
    SoapySDR::Device::unmake(device);
    error = "the SDR device soapy:" + spec.args + " refuses its settings: " + e.what();
    return std::nullopt;
  }
}

}  // namespace talvir
