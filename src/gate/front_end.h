#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "platform/run_time_error.h"

// What a front end implements for the gate: its message boxes and the report
// of an error that nobody trapped.
namespace mirutoka::gate {

// A box with the question-mark icon and an OK button.
struct Message {
    std::string_view prompt;
    std::string_view title;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    // Shows a modal box and returns once the user has dismissed it.
    virtual void show(const Message& message) = 0;
};

class ErrorReport {
public:
    virtual ~ErrorReport() = default;

    // Tells the user which error it was and ends the process with a non-zero
    // exit code; the real reports never return.
    virtual void report(const platform::RunTimeError& error) = 0;
};

// How every front end words its report.
inline constexpr std::string_view untrapped_error_title = "実行時エラー";
std::string untrapped_error_text(const platform::RunTimeError& error);

// The error that `thrown` stands for: itself when it is a RunTimeError.
platform::RunTimeError as_run_time_error(const std::exception_ptr& thrown) noexcept;

// The top of everything that can fail: an error nobody trapped goes to
// `report`. Nothing escapes into a toolkit's message loop, which could not
// carry an exception.
template <typename Handler>
void run_event_handler(Handler&& handler, ErrorReport& report) noexcept {
    try {
        handler();
    } catch (...) {
        report.report(as_run_time_error(std::current_exception()));
    }
}

}  // namespace mirutoka::gate
