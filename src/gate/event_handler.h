#pragma once

#include <functional>

#include "platform/error_report.h"

namespace mirutoka::gate {

// The top of every event handler that can fail: an error nobody trapped goes
// to `report`, which ends the process. Nothing escapes into the toolkit's
// message loop, which could not carry an exception.
void run_event_handler(const std::function<void()>& handler, platform::ErrorReport& report) noexcept;

}  // namespace mirutoka::gate
