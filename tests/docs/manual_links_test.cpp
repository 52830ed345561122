// The manual is read in a browser from docs/: every page it links and every
// picture it shows must be there, or be one of the window pictures that the
// documentation run makes; every jump within it must land on a heading.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace talvir {
namespace {

const std::filesystem::path kDocs = std::filesystem::path(TALVIR_SOURCE_DIR) / "docs";

// The pictures of the windows, taken by the documentation run under Xvfb.
bool IsWindowPicture(const std::string& target) {
  static const std::set<std::string> kPictures = {
      "images/talvir-main-window.png", "images/talvir-squitters.png", "images/talvir-system-table.png",
      "images/talvir-statistics.png",  "images/talvir-about.png",     "images/talvir-critical-warning.png"};
  static const std::regex kDialogPicture("images/talvir-dialog-[a-z0-9]+(-[a-z0-9]+)*\\.png");
  return kPictures.contains(target) || std::regex_match(target, kDialogPicture);
}

std::string ReadManual() {
  std::ifstream file(kDocs / "TALVIR Manual.htm");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
  std::set<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it) {
    found.insert((*it)[1].str());
  }
  return found;
}

TEST(Manual, EveryLinkAndPictureNamesAFileOrAWindowPictureAndEveryJumpLands) {
  const std::string manual = ReadManual();
  ASSERT_FALSE(manual.empty()) << kDocs / "TALVIR Manual.htm";
  const std::set<std::string> targets = Matches(manual, std::regex(R"re((?:href|src)="([^"]*)")re"));
  const std::set<std::string> ids = Matches(manual, std::regex(R"re(id="([^"]*)")re"));
  int pictures = 0;
  for (const std::string& target : targets) {
    if (target.starts_with("#")) {
      EXPECT_TRUE(ids.contains(target.substr(1))) << target;
      continue;
    }
    // Self-contained: nothing fetched from elsewhere.
    EXPECT_EQ(target.find(':'), std::string::npos) << target;
    if (IsWindowPicture(target)) {
      ++pictures;
      continue;
    }
    EXPECT_TRUE(std::filesystem::exists(kDocs / target)) << target;
  }
  EXPECT_GE(pictures, 10);
  EXPECT_TRUE(ids.contains("map"));
  EXPECT_TRUE(ids.contains("live-feed"));
}

}  // namespace
}  // namespace talvir
