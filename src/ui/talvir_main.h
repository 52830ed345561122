#pragma once
// The desktop program from its command line to its exit status.

namespace talvir {

// argc and argv as main() has them; Qt takes its own options from them.
int RunTalvir(int& argc, char** argv);

}  // namespace talvir
