#pragma once
// The window's record outputs, as talvir-cli has them: opened from the same
// options, stamped by the window's clock, and counted at the end of the
// Statistics window.

#include <string>

#include "app/application.h"
#include "outputs/records/record_outputs.h"
#include "ui/information_windows.h"
#include "ui/talvir_options.h"

namespace talvir {

// Before the application is made; "" or what cannot be opened.
std::string OpenWindowRecordOutputs(const TalvirOptions& options, RecordOutputs& outputs);

// Once the window is there. `outputs` must outlive both.
void AttachWindowRecordOutputs(RecordOutputs& outputs, Application& app, CStatisticsDialog& statistics);

}  // namespace talvir
