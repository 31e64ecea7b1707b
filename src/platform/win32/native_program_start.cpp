#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/native.h"
#include "platform/run_time_error.h"
#include "platform/win32/process_start.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace mirutoka::platform {
namespace {

// ERROR_ELEVATION_REQUIRED, which mingw-w64's headers do not define.
constexpr DWORD elevation_required = 740;

RunTimeError start_error(DWORD error, const std::string& command_line) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return run_time_error(Failure::ProgramNotFound, command_line);
    case ERROR_ACCESS_DENIED:
        return run_time_error(Failure::ProgramAccessDenied, command_line);
    case ERROR_BAD_EXE_FORMAT:
        return run_time_error(Failure::ProgramNotExecutable, command_line);
    case ERROR_CANCELLED:  // the consent prompt was declined
        return run_time_error(Failure::ElevationDeclined, command_line);
    default:
        return run_time_error(Failure::ProgramNotStarted, command_line, "エラー " + std::to_string(error));
    }
}

// Where SetDefaultDllDirectories is missing, our DLL directory (System32,
// which keeps the working folder out) is handed on to every process we
// start. So the started program gets the normal search instead, for as long
// as CreateProcessW takes and not a moment longer: whatever else we call
// (ShellExecuteExW loads shell and COM DLLs into this process) loads with ours.
class DllDirectoryForTheStartedProgram {
public:
    DllDirectoryForTheStartedProgram() : length_(::GetDllDirectoryW(MAX_PATH, directory_)) {
        if (is_set()) ::SetDllDirectoryW(nullptr);
    }
    DllDirectoryForTheStartedProgram(const DllDirectoryForTheStartedProgram&) = delete;
    DllDirectoryForTheStartedProgram& operator=(const DllDirectoryForTheStartedProgram&) = delete;
    ~DllDirectoryForTheStartedProgram() {
        if (is_set()) ::SetDllDirectoryW(directory_);
    }

private:
    [[nodiscard]] bool is_set() const { return length_ > 0 && length_ < MAX_PATH; }

    wchar_t directory_[MAX_PATH]{};
    DWORD length_;
};

std::wstring folder_of(std::wstring path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

bool is_file(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The folders CreateProcessW searches for `file`, named without a folder, in
// its documented order: the program's own folder, the working folder unless
// NoDefaultCurrentDirectoryInExePath is set (NeedCurrentDirectoryForExePathW
// tells), System32, the 16-bit system folder, the Windows folder, then PATH.
std::vector<std::wstring> create_process_folders(const std::wstring& file) {
    wchar_t buffer[MAX_PATH];
    std::vector<std::wstring> folders;
    if (const DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH); length > 0 && length < MAX_PATH)
        folders.push_back(folder_of({buffer, length}));
    if (::NeedCurrentDirectoryForExePathW(file.c_str()))
        if (const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, buffer); length > 0 && length < MAX_PATH)
            folders.emplace_back(buffer, length);
    if (const UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH); length > 0 && length < MAX_PATH)
        folders.emplace_back(buffer, length);
    if (const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH); length > 0 && length < MAX_PATH) {
        folders.push_back(std::wstring(buffer, length) + L"\\System");
        folders.emplace_back(buffer, length);
    }
    if (const DWORD length = ::GetEnvironmentVariableW(L"PATH", nullptr, 0); length > 0) {
        std::wstring variable(length, L'\0');
        variable.resize(::GetEnvironmentVariableW(L"PATH", variable.data(), length));
        for (std::size_t from = 0; from <= variable.size();) {
            const std::size_t end = std::min(variable.find(L';', from), variable.size());
            if (end > from) folders.push_back(variable.substr(from, end - from));
            from = end + 1;
        }
    }
    return folders;
}

// A folder where a file is named is no program, wherever it is found.
std::optional<std::wstring> found(const std::wstring& name) {
    const bool has_folder = name.find_first_of(L"\\/:") != std::wstring::npos;
    const bool has_extension = name.find(L'.', name.find_last_of(L"\\/") + 1) != std::wstring::npos;
    const std::wstring file = has_extension ? name : name + L".exe";
    if (has_folder) return is_file(file) ? std::optional(file) : std::nullopt;
    for (std::wstring folder : create_process_folders(file)) {
        if (folder.back() != L'\\') folder += L'\\';
        if (is_file(folder + file)) return folder + file;
    }
    return std::nullopt;
}

struct ProgramAndArguments {
    std::wstring program;
    std::wstring arguments;
};

// The program CreateProcessW takes from a command line with no application
// name: a quoted first word as it is, an unquoted one from the left at each
// blank, the first that names a file ("C:\Program Files\Game\game.exe -full"
// tries C:\Program.exe first); what follows is the arguments.
std::optional<ProgramAndArguments> program_of(std::wstring_view line) {
    const std::size_t start = line.find_first_not_of(L" \t");
    const auto arguments_after = [&](std::size_t end) {
        const std::size_t from = line.find_first_not_of(L" \t", end);
        return from == std::wstring_view::npos ? std::wstring() : std::wstring(line.substr(from));
    };
    if (line[start] == L'"') {
        const std::size_t close = line.find(L'"', start + 1);
        const std::size_t end = close == std::wstring_view::npos ? line.size() : close;
        const std::optional<std::wstring> program = found(std::wstring(line.substr(start + 1, end - start - 1)));
        if (!program) return std::nullopt;
        return ProgramAndArguments{*program, arguments_after(std::min(line.size(), end + 1))};
    }
    for (std::size_t end = line.find_first_of(L" \t", start);; end = line.find_first_of(L" \t", end + 1)) {
        const std::size_t stop = end == std::wstring_view::npos ? line.size() : end;
        if (const std::optional<std::wstring> program = found(std::wstring(line.substr(start, stop - start))))
            return ProgramAndArguments{*program, arguments_after(stop)};
        if (end == std::wstring_view::npos) return std::nullopt;
    }
}

// No wait for the program; the handle serves only to tell its id.
double start_elevated(std::wstring_view line, const ProcessStartCalls& calls) {
    const std::optional<ProgramAndArguments> start = program_of(line);
    if (!start) throw start_error(ERROR_FILE_NOT_FOUND, to_utf8(line));
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof(execute);
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = L"open";
    execute.lpFile = start->program.c_str();
    execute.lpParameters = start->arguments.empty() ? nullptr : start->arguments.c_str();
    execute.nShow = SW_SHOWNORMAL;
    if (!calls.shell_execute(&execute)) throw start_error(::GetLastError(), to_utf8(line));
    const UniqueHandle process(execute.hProcess);
    const DWORD id = process.valid() ? ::GetProcessId(process.get()) : 0;
    return id != 0 ? static_cast<double>(id) : 1.0;  // started, whether or not Windows told its id
}

}  // namespace

double start_process(std::wstring command_line, const ProcessStartCalls& calls) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    const std::wstring line = command_line;  // CreateProcessW may write into the one it is given
    const DWORD error = [&]() -> DWORD {
        const DllDirectoryForTheStartedProgram dll_directory;
        const BOOL created = calls.create_process(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                                  nullptr, &startup, &process);
        return created ? ERROR_SUCCESS : ::GetLastError();
    }();
    if (error != ERROR_SUCCESS) {
        if (error == elevation_required) return start_elevated(line, calls);
        throw start_error(error, to_utf8(line));
    }
    const UniqueHandle process_handle(process.hProcess);
    const UniqueHandle thread_handle(process.hThread);
    return static_cast<double>(process.dwProcessId);
}

// No application name: Windows splits and searches the command line itself,
// so an unquoted "C:\Program Files\Game\game.exe" still finds its program.
double NativeProgramStart::start(const std::string& command_line) {
    std::wstring line = to_wide(command_line);
    if (line.find_first_not_of(L" \t") == std::wstring::npos)
        throw run_time_error(Failure::NoProgram);
    if (line.find(L'\0') != std::wstring::npos)
        throw run_time_error(Failure::MalformedCommandLine, {}, "NUL 文字があります");
    return start_process(std::move(line), {});
}

}  // namespace mirutoka::platform
