// The sample job in a folder of its own, run as the program runs it from the
// command line, with the messages it gave.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/core/app_defaults.h"
#include "app/core/command_line.h"
#include "app/core/main_window.h"
#include "app/core/startup.h"
#include "support/sample_job.h"
#include "support/scratch.h"

namespace testsupport {

// The program's defaults, restored first, so that the folder and the
// message sink set up after them stay.
struct FromAppDefaults {
    FromAppDefaults() { ResetAppDefaults(); }
};

struct BatchJobFolder : FromAppDefaults, SampleJobFolder {
    // RunBatch with Args as given, in a new window.
    int runBatch(std::vector<std::string> args) {
        window = std::make_unique<TMainWindowCore>();
        return RunBatch(*window, TCommandLine(std::move(args)));
    }
    std::string warnings() const {
        std::string all;
        for (const std::string& w : sink.Warnings) all += w + "\n";
        return all;
    }
    bool warned(const std::string& text) const {
        return warnings().find(text) != std::string::npos;
    }

    CaptureSink sink;
    std::unique_ptr<TMainWindowCore> window;
};

}  // namespace testsupport
