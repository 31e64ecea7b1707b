#pragma once

#include <stdexcept>
#include <string>

namespace mirutoka::platform {

// The numbers follow the classic run time's, so a report reads the way
// people who set these gates up are used to.
enum class ErrorNumber : int {
    InvalidArgument = 5,
    OutOfMemory = 7,
    StringTooLong = 14,
    InternalError = 51,
    FileNotFound = 53,
    DeviceIo = 57,
    InputPastEndOfFile = 62,
    PermissionDenied = 70,
    PathFileAccess = 75,
};

// The one error type of the program: a number and a Japanese description.
class RunTimeError : public std::runtime_error {
public:
    RunTimeError(ErrorNumber number, const std::string& description);

    [[nodiscard]] int number() const noexcept { return static_cast<int>(number_); }
    [[nodiscard]] const std::string& description() const noexcept { return description_; }

private:
    ErrorNumber number_;
    std::string description_;
};

}  // namespace mirutoka::platform
