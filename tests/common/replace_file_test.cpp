#include "common/replace_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "support/read_file.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

std::size_t EntriesIn(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(ReplaceFile, NewContentWithTheUmasksRightsAndAFailedWriteLeavesTheOldFileWhole) {
  testing::TempDir dir;
  const auto file = dir.path() / "talvir.ini";
  ASSERT_TRUE(ReplaceFile(file, std::string(5000, 'a')));
  ASSERT_TRUE(ReplaceFile(file, "short"));
  EXPECT_EQ(testing::ReadFile(file), "short");
  const mode_t umask = ::umask(0);
  ::umask(umask);
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~umask);

  EXPECT_FALSE(ReplaceFile(dir.path() / "missing" / "talvir.ini", "x"));

  // A write that the system refuses half-way (here: the file-size limit, as
  // a full disk would) leaves the old file whole and no temporary file.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(ReplaceFile(file, std::string(4000, 'n')) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the refused write was reported as done";
  EXPECT_EQ(testing::ReadFile(file), "short");
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

}  // namespace
}  // namespace talvir
