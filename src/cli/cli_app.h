#pragma once
// talvir-cli from parsed arguments to exit status.

#include <atomic>
#include <span>
#include <string_view>

namespace talvir {

inline constexpr int kExitOk = 0;
inline constexpr int kExitBadInput = 2;

// stopSignal: set (to the signal's number) by a signal handler to end the run.
int RunTalvirCli(std::span<const std::string_view> args, const std::atomic<int>& stopSignal);

}  // namespace talvir
