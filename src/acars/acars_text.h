#pragma once
// Pieces shared by the two ACARS printers: the control characters of a block,
// the byte-by-byte text rule, the closing separator line and the rendering of
// a block with named control characters.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>

#include "common/acars_characters.h"

namespace talvir {

inline constexpr uint8_t kAcarsCharacterMask = 0x7F;  // bit 7 is the parity bit

// The fixed fields at the head of every block, HFDL and VHF alike.
inline constexpr std::size_t kAcarsModeOffset = 1;
inline constexpr std::size_t kAcarsRegistrationOffset = 2;
inline constexpr std::size_t kAcarsRegistrationLength = 7;
inline constexpr std::size_t kAcarsLabelOffset = 10;  // after the technical acknowledgement
inline constexpr std::size_t kAcarsLabelLength = 2;
inline constexpr std::size_t kAcarsBlockIdOffset = 12;
inline constexpr std::size_t kAcarsStxOffset = 13;
// A downlink's text starts with the message number and the flight id.
inline constexpr std::size_t kAcarsMessageNumberLength = 4;
inline constexpr std::size_t kAcarsFlightIdLength = 6;

// 58 hyphens, then the local date and time: closes every ACARS message text.
inline constexpr std::string_view kAcarsSeparator =
    "----------------------------------------------------------";

// Appends bytes [from, to) of the block with bit 7 cleared, each as "%c"
// would: stops at the block's end, and a NUL adds nothing (the texts are C
// strings for the log and DDE readers).
void AppendAcarsCharacters(std::string& text, std::span<const uint8_t> block, std::size_t from,
                           std::size_t to);

// The text rule: STX starts showing; ETX or ETB append a line feed and hide;
// other bytes are appended while showing.
void AppendAcarsTextRule(std::string& text, std::span<const uint8_t> bytes, bool showing);

// The separator and "[%d/%m/%Y %H:%M]\n" of the local time at `now`.
void AppendAcarsClosingLine(std::string& text, std::time_t now);

// Every byte (bit 7 cleared) as itself when printable, LF, CR or blank, and
// as its ASCII abbreviation ("<NUL>", "<STX>", "<DEL>" ...) otherwise; the
// line ends with CR LF.
std::string RenderControlCharacters(std::span<const uint8_t> data);

}  // namespace talvir
