#include "audio/sdr_device.h"

namespace talvir {

bool SdrDevicesSupported() { return false; }

std::optional<OpenedSdr> OpenSdrDevice(const SdrDeviceSpec& /*spec*/, std::string& error) {
  error =
      "this build of TALVIR has no SDR device support: install libsoapysdr-dev (scripts/install-deps) and build again";
  return std::nullopt;
}

}  // namespace talvir
