// The manual is read in a browser from docs/: every page it links and every
// picture it shows must be there, or be one of the window pictures that the
// documentation run makes; every jump within it must land on a heading.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "support/read_file.h"

namespace talvir {
namespace {

const std::filesystem::path kDocs = std::filesystem::path(TALVIR_SOURCE_DIR) / "docs";

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
  std::set<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it) {
    found.insert((*it)[1].str());
  }
  return found;
}

TEST(Manual, EveryLinkAndPictureNamesAFileOrAWindowPictureAndEveryJumpLands) {
  const std::string manual = testing::ReadFile(kDocs / "TALVIR Manual.htm");
  ASSERT_FALSE(manual.empty()) << kDocs / "TALVIR Manual.htm";
  // The pictures of the windows, taken by the documentation run under Xvfb.
  const std::regex windowPicture(
      "images/talvir-(main-window|squitters|system-table|statistics|about|critical-warning|"
      "dialog-[a-z0-9]+(-[a-z0-9]+)*)\\.png");
  const std::set<std::string> ids = Matches(manual, std::regex(R"re(id="([^"]*)")re"));
  int pictures = 0;
  for (const std::string& target : Matches(manual, std::regex(R"re((?:href|src)="([^"]*)")re"))) {
    if (target.starts_with("#")) {
      EXPECT_TRUE(ids.contains(target.substr(1))) << target;
    } else if (std::regex_match(target, windowPicture)) {
      ++pictures;
    } else {
      // Self-contained: nothing fetched from elsewhere.
      EXPECT_EQ(target.find(':'), std::string::npos) << target;
      EXPECT_TRUE(std::filesystem::exists(kDocs / target)) << target;
    }
  }
  EXPECT_GE(pictures, 10);
  EXPECT_TRUE(ids.contains("map"));
  EXPECT_TRUE(ids.contains("live-feed"));
}

}  // namespace
}  // namespace talvir
