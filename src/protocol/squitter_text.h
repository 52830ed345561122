#pragma once
// The texts a squitter is shown with, shared by the decoded text and the
// Squitters window.

#include <string>

#include "protocol/squitter_record.h"

namespace talvir {

class TextFormatters;

// The slot an acknowledgement code belongs to, i = 0..23: "S11(N-3)" ... "S10(N-1)".
std::string AckSlotLabel(int i);
// The slot an assignment byte is for, i = 0..11: "S03 (N+0)" ... "S02 (N+1)".
std::string AssignmentSlotLabel(int i);

// " GND <utc> UTC <station>  DB = ..  SV = ..  <status> <load> <iso> OFFSET <n>"
std::string FormatSquitterSummary(const SquitterRecord& record, const std::string& utcClockText,
                                  const TextFormatters& formatters);

}  // namespace talvir
