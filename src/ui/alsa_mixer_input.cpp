#include "ui/alsa_mixer_input.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <memory>
#include <vector>

namespace talvir {
namespace {

bool Names(std::string name, std::string_view kind) {
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  return name.find(kind) != std::string::npos;
}

struct MixerCloser {
  void operator()(snd_mixer_t* mixer) const { snd_mixer_close(mixer); }
};

}  // namespace

void CaptureSourceItems::Classify(std::span<const std::string> itemNames) {
  for (int i = 0; i < static_cast<int>(itemNames.size()); ++i) {
    const std::string& name = itemNames[static_cast<std::size_t>(i)];
    // "Stereo Mix", "Mix", "Mixer"; "Mic", "Front Mic"; "Line", "Line In".
    if (Names(name, "mix")) {
      mix = i;
    } else if (Names(name, "mic")) {
      microphone = i;
    } else if (Names(name, "line")) {
      line = i;
    }
  }
}

std::optional<int> CaptureSourceItems::ItemFor(int inputLine) const {
  switch (inputLine) {
    case kInputMicrophone: return microphone;
    case kInputLine: return line;
    case kInputMix: return mix;
    default: return std::nullopt;
  }
}

std::optional<int> AlsaCardOfDevice(std::string_view deviceName) {
  const std::size_t at = deviceName.rfind("(hw:");
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view digits = deviceName.substr(at + 4);
  int card = -1;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), card);
  if (error != std::errc() || end == digits.data() || card < 0) return std::nullopt;
  return card;
}

bool AlsaMixerInput::MixerSelectInput(std::string_view deviceName, int inputLine) {
  const std::optional<int> card = AlsaCardOfDevice(deviceName);
  if (!card) return false;
  snd_mixer_t* opened = nullptr;
  if (snd_mixer_open(&opened, 0) < 0) return false;
  const std::unique_ptr<snd_mixer_t, MixerCloser> mixer(opened);
  const std::string name = "hw:" + std::to_string(*card);
  if (snd_mixer_attach(mixer.get(), name.c_str()) < 0 || snd_mixer_selem_register(mixer.get(), nullptr, nullptr) < 0 ||
      snd_mixer_load(mixer.get()) < 0) {
    return false;
  }
  for (snd_mixer_elem_t* elem = snd_mixer_first_elem(mixer.get()); elem != nullptr; elem = snd_mixer_elem_next(elem)) {
    if (!snd_mixer_selem_is_enumerated(elem) || !snd_mixer_selem_is_enum_capture(elem)) continue;
    const int count = snd_mixer_selem_get_enum_items(elem);
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) {
      char item[64] = {};
      snd_mixer_selem_get_enum_item_name(elem, static_cast<unsigned>(i), sizeof item, item);
      items.emplace_back(item);
    }
    items_.Classify(items);
    if (const std::optional<int> chosen = items_.ItemFor(inputLine); chosen && *chosen < count) {
      for (int channel = 0; channel <= SND_MIXER_SCHN_LAST; ++channel) {
        const auto id = static_cast<snd_mixer_selem_channel_id_t>(channel);
        if (snd_mixer_selem_has_capture_channel(elem, id)) {
          snd_mixer_selem_set_enum_item(elem, id, static_cast<unsigned>(*chosen));
        }
      }
    }
    return true;
  }
  return false;
}

}  // namespace talvir
