#pragma once
// The settings record: a fixed 356-byte little-endian image, stored as it is
// in configs/talvir.ini. Field order and widths are the file layout.

#include <cstddef>
#include <cstdint>

namespace talvir {

struct SettingsRecord {
  char hfdlDdeService[25];
  char hfdlDdeTopic[25];
  char hfdlDdeItem[25];
  char acarsDdeService[25];
  char acarsDdeTopic[25];
  char acarsDdeItem[25];
  char padding[2];
  int32_t ostraleLogging;     // 1 = "Enable Ostrale Logging"
  int32_t ostraleSingleFile;  // 1 = one fixed file instead of day files
  char ostraleFileName[80];   // inside logfiles/
  int32_t hfdlLogging;
  int32_t showHex;
  int32_t showPreamble;
  int32_t showMpdu;
  int32_t showSpdu;
  int32_t showLpdu;
  int32_t showBdu;
  int32_t showHfnpdu;
  int32_t verbose;
  int32_t squitterSmartDisplay;
  int32_t reserved;                // set to 1 by the defaults, never read
  int32_t aircraftTimeoutMinutes;  // 0 = no timeout
  float dxAtlasView2;
  float dxAtlasView1;
  int32_t channelAMode;     // ChannelMode
  int32_t channelBMode;     // ChannelMode
  int32_t showVAcars;
  int32_t showHAcars;
  int32_t spectrumChannel;  // SpectrumChannel
  char soundCardName[32];   // product name of the capture device
  int32_t inputLine;        // 0 microphone, 1 line, 2 mixer
  int32_t settingsLoaded;   // 1 once the file was read at this start
};

inline constexpr std::size_t kSettingsRecordSize = 356;
static_assert(sizeof(SettingsRecord) == kSettingsRecordSize);
static_assert(offsetof(SettingsRecord, ostraleLogging) == 152);
static_assert(offsetof(SettingsRecord, ostraleFileName) == 160);
static_assert(offsetof(SettingsRecord, hfdlLogging) == 240);
static_assert(offsetof(SettingsRecord, aircraftTimeoutMinutes) == 284);
static_assert(offsetof(SettingsRecord, dxAtlasView2) == 288);
static_assert(offsetof(SettingsRecord, channelAMode) == 296);
static_assert(offsetof(SettingsRecord, spectrumChannel) == 312);
static_assert(offsetof(SettingsRecord, soundCardName) == 316);
static_assert(offsetof(SettingsRecord, inputLine) == 348);
static_assert(offsetof(SettingsRecord, settingsLoaded) == 352);

// channelAMode, channelBMode
enum ChannelMode : int32_t { kChannelNone = 0, kChannelVhf = 1, kChannelHf = 2 };
// spectrumChannel
enum SpectrumChannel : int32_t {
  kSpectrumOff = 0,
  kSpectrumChannelA = 1,
  kSpectrumChannelB = 2,
  kSpectrumSum = 3
};

}  // namespace talvir
