#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace mirutoka::platform {

// The two ways a program is started, passed in so that a test can stand in
// for what Windows would answer.
struct ProcessStartCalls {
    decltype(&::CreateProcessW) create_process = ::CreateProcessW;
    decltype(&::ShellExecuteExW) shell_execute = ::ShellExecuteExW;
};

// Starts `command_line` with a normal window and returns the new process's
// id. A program that asks for administrator rights (CreateProcessW says
// ERROR_ELEVATION_REQUIRED) is started as Explorer starts it, through
// ShellExecuteExW, which shows the consent prompt: the same program, found
// as CreateProcessW found it, with the same arguments.
double start_process(std::wstring command_line, const ProcessStartCalls& calls);

}  // namespace mirutoka::platform
