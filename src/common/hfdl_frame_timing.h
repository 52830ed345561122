#pragma once
// The HFDL frame: 13 slots in 32 s, slot 0 carrying the squitter. The modem's
// slot clock, the squitter decoder's UTC clock and the test bench all count
// in it.

namespace talvir::hfdl {

inline constexpr int kSlotsPerFrame = 13;
inline constexpr int kSecondsPerFrame = 32;

}  // namespace talvir::hfdl
