#pragma once
// The recording source of the sound card behind the capture device, chosen
// on its ALSA mixer: the capture-source list's microphone, line or mix item.
// Volumes are never changed. Cards without such a list, and sound servers,
// are left as they are.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace talvir {

// inputLine: the settings' choice.
inline constexpr int kInputMicrophone = 0;
inline constexpr int kInputLine = 1;
inline constexpr int kInputMix = 2;

// Item indices of a capture-source list. A list without an item of a kind
// keeps the index found before (0 at first).
struct CaptureSourceItems {
  int microphone = 0;
  int line = 0;
  int mix = 0;

  // Later items of the same kind override earlier ones.
  void Classify(std::span<const std::string> itemNames);
  // The item for inputLine; none for a value outside the three.
  std::optional<int> ItemFor(int inputLine) const;
};

// The ALSA card of a PortAudio device name ending in "(hw:N,M)"; none for
// the default device and the sound servers.
std::optional<int> AlsaCardOfDevice(std::string_view deviceName);

class AlsaMixerInput {
 public:
  // False when the card has no capture-source list (or is not an ALSA
  // card): nothing was changed.
  bool MixerSelectInput(std::string_view deviceName, int inputLine);

 private:
  CaptureSourceItems items_;
};

}  // namespace talvir
