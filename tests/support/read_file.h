#pragma once
// A whole file as bytes in a string ("" when it cannot be read).

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace talvir::testing {

inline std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

}  // namespace talvir::testing
