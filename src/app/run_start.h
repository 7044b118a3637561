#pragma once

#include <memory>
#include <optional>

#include "capture/capture_recorder.h"
#include "command_line.h"
#include "demo_central.h"

namespace espa {

inline constexpr int kUsageError = 2;
inline constexpr int kStartError = 1;

// What a run has once its application object stands: the command line read and, for --demo,
// the demo line open.
struct RunStart {
    CommandLine options;
    std::unique_ptr<DemoLine> demo;
    // For --capture: the file, created before any port opens.
    std::unique_ptr<CaptureRecorder> capture;
    // Set when the run ends here: help and version printed, a mistake or a failure reported.
    std::optional<int> exitStatus;
};

// Names the application, reads its command line, answers help and version, reports mistakes
// on standard error, creates the capture file and opens the demo line. Needs the application
// object, of either kind; the headless program and the window module both start this way.
RunStart StartRun();

}  // namespace espa
