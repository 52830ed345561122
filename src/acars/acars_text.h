#pragma once
// Pieces shared by the two ACARS printers: the fields of a block, the
// byte-by-byte text rule, the closing separator line and the rendering of a
// block with named control characters. Every received byte reaches the text
// rendered (common/received_text.h): fields on one line, message texts with
// their line breaks.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/acars_characters.h"
#include "common/acars_record.h"

namespace talvir {

inline constexpr uint8_t kAcarsCharacterMask = 0x7F;  // bit 7 is the parity bit

// The fixed fields at the head of every block, HFDL and VHF alike.
inline constexpr std::size_t kAcarsModeOffset = 1;
inline constexpr std::size_t kAcarsRegistrationOffset = 2;
inline constexpr std::size_t kAcarsRegistrationLength = 7;
inline constexpr std::size_t kAcarsAckOffset = 9;  // the technical acknowledgement
inline constexpr std::size_t kAcarsLabelOffset = 10;  // after the technical acknowledgement
inline constexpr std::size_t kAcarsLabelLength = 2;
inline constexpr std::size_t kAcarsBlockIdOffset = 12;
inline constexpr std::size_t kAcarsStxOffset = 13;
// A downlink's text starts with the message number and the flight id.
inline constexpr std::size_t kAcarsMessageNumberOffset = kAcarsStxOffset + 1;
inline constexpr std::size_t kAcarsMessageNumberLength = 4;
inline constexpr std::size_t kAcarsFlightIdLength = 6;
// Over HFDL a block ends in its two check bytes and DEL, after the ETX or ETB.
inline constexpr std::size_t kHfdlAcarsTrailerBytes = 3;

// 58 hyphens, then the local date and time: closes every ACARS message text.
inline constexpr std::string_view kAcarsSeparator =
    "----------------------------------------------------------";

// The fields of a block's characters (bit 7 cleared, SOH first, as far as the
// bearer shows them); the message number and flight id only when `numbered`.
// The text, the end (ETX or ETB), the stamp and the quality are the printer's.
AcarsMessage ReadAcarsFields(std::span<const uint8_t> characters, bool uplink, bool numbered);

// A copy of the block with bit 7 of every byte cleared.
std::vector<uint8_t> AcarsCharactersWithoutParity(std::span<const uint8_t> block);

// An HFDL block without its check bytes and DEL: the characters that may be
// shown.
std::span<const uint8_t> HfdlAcarsCharacters(std::span<const uint8_t> block);

// Appends `count` bytes of a one-line field from `from`, as far as the block
// goes, every control byte named.
void AppendAcarsField(std::string& text, std::span<const uint8_t> block, std::size_t from,
                      std::size_t count);

// The text rule: STX starts showing; ETX or ETB append a line feed and hide;
// other bytes are appended while showing, received line breaks as LF.
void AppendAcarsTextRule(std::string& text, std::span<const uint8_t> bytes, bool showing);

// The separator and "[%d/%m/%Y %H:%M]\n" of the local time at `now`.
void AppendAcarsClosingLine(std::string& text, std::time_t now);

// The block's characters as themselves when printable and as their names
// ("<NUL>", "<STX>", "<DEL>" ...) otherwise; received line breaks stay line
// breaks. The text ends with a line feed.
std::string RenderControlCharacters(std::span<const uint8_t> characters);

}  // namespace talvir
