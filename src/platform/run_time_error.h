#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace mirutoka::platform {

// The numbers a report shows, fixed so that a user's report can be matched to
// its cause; CONTRIBUTING.md lists them.
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

// Every failure the program reports. Each system's code says only which one
// it met; the number and the words come from one table.
enum class Failure {
    EndOfData,
    FieldTooLong,
    UndecodableText,
    NoProgram,
    MalformedCommandLine,
    OutOfMemory,
    Internal,
    NotCreated,
    ConverterMissing,
    FileNotFound,
    FileAccessDenied,
    FileInUse,
    FileNotOpened,
    NotRegularFile,
    ReadFailed,
    ProgramNotFound,
    ProgramAccessDenied,
    ProgramNotExecutable,
    ProgramNotStarted,
    ElevationDeclined,
};

// The error for `failure`. `detail` is the system's own name for the cause
// (ELOOP, エラー 5) and `subject` the file, program or command line, where
// there is one: 「ファイルを開けません (ELOOP): PASSWORD.INI」.
[[nodiscard]] RunTimeError run_time_error(Failure failure, std::string_view subject = {},
                                          std::string_view detail = {});

}  // namespace mirutoka::platform
