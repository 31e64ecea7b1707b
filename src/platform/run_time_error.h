#pragma once

#include <stdexcept>
#include <string>

namespace mirutoka::platform {

// The numbers a report shows, fixed so that a user's report can be matched to
// its cause; the README lists them.
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
    RunTimeError(ErrorNumber number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    [[nodiscard]] int number() const noexcept { return static_cast<int>(number_); }
    [[nodiscard]] std::string description() const { return what(); }

private:
    ErrorNumber number_;
};

// Bytes that are not text in the encoding they were taken to be in.
inline RunTimeError undecodable_text_error() {
    return {ErrorNumber::InvalidArgument, "ファイルの文字を読み取れません。文字コードが正しくありません。"};
}

}  // namespace mirutoka::platform
