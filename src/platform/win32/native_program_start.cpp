#include <windows.h>

#include "platform/native.h"
#include "platform/run_time_error.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace mirutoka::platform {
namespace {

RunTimeError start_error(DWORD error, const std::string& command_line) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return run_time_error(Failure::ProgramNotFound, command_line);
    case ERROR_ACCESS_DENIED:
        return run_time_error(Failure::ProgramAccessDenied, command_line);
    case ERROR_BAD_EXE_FORMAT:
        return run_time_error(Failure::ProgramNotExecutable, command_line);
    default:
        return run_time_error(Failure::ProgramNotStarted, command_line, "エラー " + std::to_string(error));
    }
}

// Where SetDefaultDllDirectories is missing, our DLL directory (System32,
// which keeps the working folder out) is handed on to every process we start;
// the started program gets the normal search instead, and we get ours back
// as soon as it has started.
class DllDirectoryForOurselves {
public:
    DllDirectoryForOurselves() : length_(::GetDllDirectoryW(MAX_PATH, directory_)) {
        if (is_set()) ::SetDllDirectoryW(nullptr);
    }
    DllDirectoryForOurselves(const DllDirectoryForOurselves&) = delete;
    DllDirectoryForOurselves& operator=(const DllDirectoryForOurselves&) = delete;
    ~DllDirectoryForOurselves() {
        if (is_set()) ::SetDllDirectoryW(directory_);
    }

private:
    [[nodiscard]] bool is_set() const { return length_ > 0 && length_ < MAX_PATH; }

    wchar_t directory_[MAX_PATH]{};
    DWORD length_;
};

}  // namespace

// No application name: Windows splits and searches the command line itself,
// so an unquoted "C:\Program Files\Game\game.exe" still finds its program.
double NativeProgramStart::start(const std::string& command_line) {
    std::wstring line = to_wide(command_line);
    if (line.find_first_not_of(L" \t") == std::wstring::npos)
        throw run_time_error(Failure::NoProgram);
    if (line.find(L'\0') != std::wstring::npos)
        throw run_time_error(Failure::MalformedCommandLine, {}, "NUL 文字があります");

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    const DllDirectoryForOurselves dll_directory;
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        throw start_error(::GetLastError(), command_line);
    const UniqueHandle process_handle(process.hProcess);
    const UniqueHandle thread_handle(process.hThread);
    return static_cast<double>(process.dwProcessId);
}

}  // namespace mirutoka::platform
