#include "common/version.h"

#include "talvir_version.h"

namespace talvir {

std::string VersionLine(std::string_view program) { return std::string(program) + " " + VersionText(); }

std::string VersionText() { return TALVIR_VERSION " (" TALVIR_COMMIT ")"; }

}  // namespace talvir
