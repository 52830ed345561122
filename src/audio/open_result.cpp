#include "audio/capture_driver.h"

namespace talvir {

std::string_view OpenFailureMessage(OpenStatus status) {
  switch (status) {
    case OpenStatus::kBadDeviceId: return "Unable to Open Soundcard Input BADDEVICEID";
    case OpenStatus::kAllocated: return "Unable to Open Soundcard Input ALLOCATED";
    case OpenStatus::kNoDriver: return "Unable to Open Soundcard Input NODRIVER";
    case OpenStatus::kNoMemory: return "Unable to Open Soundcard Input NOMEM";
    case OpenStatus::kInvalidParam: return "Unable to Open Soundcard Input INVALID PARAM";
    case OpenStatus::kBadFormat: return "Unable to Open Soundcard Input BADFORMAT";
    case OpenStatus::kOk:
    case OpenStatus::kOtherFailure: break;
  }
  return {};
}

}  // namespace talvir
