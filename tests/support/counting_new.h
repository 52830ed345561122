#pragma once
// Counts every allocation of the program and its bytes, by replacing the
// global operator new. Include it in one file of a program only.

#include <atomic>
#include <cstdlib>
#include <new>

namespace talvir::testing {
inline std::atomic<long> allocations{0};
inline std::atomic<std::size_t> allocatedBytes{0};
}  // namespace talvir::testing

// GCC cannot see that these replacements pair malloc with free throughout.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  ++talvir::testing::allocations;
  talvir::testing::allocatedBytes += size;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
