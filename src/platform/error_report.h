#pragma once

#include "platform/run_time_error.h"

namespace mirutoka::platform {

// Where a run-time error that nobody trapped ends up.
class ErrorReport {
public:
    virtual ~ErrorReport() = default;

    // Tells the user which error it was and ends the process with a non-zero
    // exit code; the real reports never return.
    virtual void report(const RunTimeError& error) = 0;
};

}  // namespace mirutoka::platform
