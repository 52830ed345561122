#pragma once
// Runs a built program as a user would, in a folder, with the time zone fixed
// so that local-time stamps are the same on every machine.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/read_file.h"

namespace talvir::testing {

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
  bool operator==(const ProgramRun&) const = default;
};

inline ProgramRun RunProgram(const std::filesystem::path& dir, const std::string& program, const std::string& args,
                             const std::string& stdinFile = "/dev/null") {
  const auto out = dir / "out.txt";
  const auto err = dir / "err.txt";
  const std::string command = "cd '" + dir.string() + "' && TZ=UTC '" + program + "' " + args + " <'" + stdinFile +
                              "' >'" + out.string() + "' 2>'" + err.string() + "'";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
}

}  // namespace talvir::testing
