#pragma once

#include "platform/error_report.h"
#include "platform/files.h"
#include "platform/message_boxes.h"
#include "platform/program_start.h"

namespace mirutoka::ui {

// Everything PASS hands on or reports to: main passes the real ones, tests fakes.
struct PassServices {
    const platform::Files& files;
    platform::ProgramStart& program_start;
    platform::MessageBoxes& message_boxes;
    platform::ErrorReport& error_report;
};

}  // namespace mirutoka::ui
