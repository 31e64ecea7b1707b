#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/error_report.h"

namespace mirutoka::gate {

// The top of every event handler that can fail: an error nobody trapped goes
// to `report`, which ends the process. Nothing escapes into the toolkit's
// message loop, which could not carry an exception.
void run_event_handler(const std::function<void()>& handler, platform::ErrorReport& report) noexcept;

// How every front end words its report of such an error.
inline constexpr std::string_view untrapped_error_title = "実行時エラー";
std::string untrapped_error_text(const platform::RunTimeError& error);

}  // namespace mirutoka::gate
