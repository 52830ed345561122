#pragma once
// Writes a whole file so that a crash, a full disk or a power cut during the
// write leaves either the old file or the new one, never a torn mix: the
// bytes go to a temporary file in the same folder, which then replaces the
// old one in one rename.

#include <filesystem>
#include <span>
#include <string_view>

namespace talvir {

// False when any step fails; the old file is then untouched and no
// temporary file is left behind.
bool ReplaceFile(const std::filesystem::path& file, std::span<const std::byte> bytes);

inline bool ReplaceFile(const std::filesystem::path& file, std::string_view text) {
  return ReplaceFile(file, std::as_bytes(std::span(text.data(), text.size())));
}

}  // namespace talvir
