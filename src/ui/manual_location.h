#pragma once
// Where the manual is looked for: installed beside the program's share
// folder, in the source tree it was built from, or under the working
// directory's docs/.

#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace talvir {

inline constexpr const char* kManualFileName = "TALVIR Manual.htm";

// programDir: the folder of the running executable.
std::vector<std::filesystem::path> ManualCandidates(const std::filesystem::path& programDir);
// The first candidate that is a file.
std::optional<std::filesystem::path> FindManual(std::span<const std::filesystem::path> candidates);

}  // namespace talvir
