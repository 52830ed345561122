#include "common/version.h"

#include "talvir_version.h"

namespace talvir {

std::string VersionLine(std::string_view program) {
  return std::string(program) + " " TALVIR_VERSION " (" TALVIR_COMMIT ")";
}

}  // namespace talvir
