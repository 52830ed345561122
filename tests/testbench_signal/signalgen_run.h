#pragma once
// Runs the talvir-signalgen binary as a user would, keeping its error output.

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/read_file.h"
#include "support/temp_dir.h"

namespace talvir::testbench {

struct ToolRun {
  int status = -1;
  std::string errors;
};

using testing::ReadFile;

inline ToolRun Signalgen(const testing::TempDir& dir, const std::string& arguments) {
  const auto errorFile = dir.path() / "stderr.txt";
  const std::string command =
      std::string(TALVIR_SIGNALGEN) + " " + arguments + " > /dev/null 2> '" + errorFile.string() + "'";
  const int raw = std::system(command.c_str());
  return {.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, .errors = ReadFile(errorFile)};
}

}  // namespace talvir::testbench
