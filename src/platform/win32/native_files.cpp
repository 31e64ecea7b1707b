#include <windows.h>

#include "platform/native.h"
#include "platform/run_time_error.h"
#include "platform/secrets.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace mirutoka::platform {
namespace {

std::string code_of(DWORD error) { return "エラー " + std::to_string(error); }

RunTimeError open_error(DWORD error, const std::string& name) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return run_time_error(Failure::FileNotFound, name);
    case ERROR_ACCESS_DENIED:
        return run_time_error(Failure::FileAccessDenied, name);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return run_time_error(Failure::FileInUse, name);
    default:
        return run_time_error(Failure::FileNotOpened, name, code_of(error));
    }
}

class Win32InputFile final : public InputFile {
public:
    explicit Win32InputFile(UniqueHandle file) : file_(std::move(file)) {}

    std::size_t read(std::span<char> buffer) override {
        DWORD count = 0;
        const auto wanted = static_cast<DWORD>(buffer.size());
        if (!::ReadFile(file_.get(), buffer.data(), wanted, &count, nullptr)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_LOCK_VIOLATION) throw run_time_error(Failure::FileInUse);
            throw run_time_error(Failure::ReadFailed, {}, code_of(error));
        }
        return count;
    }

private:
    UniqueHandle file_;
};

bool is_regular_file(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information{};
    return ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &information) &&
           (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

// Shared for reading, writing and deleting, so that a file an editor holds
// open still reads; only a file on disk is accepted, never a device, pipe or folder.
std::unique_ptr<InputFile> NativeFiles::open_for_input(const std::string& name) const {
    UniqueHandle file(::CreateFileW(to_wide(name).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) throw open_error(::GetLastError(), name);
    if (!is_regular_file(file.get()))
        throw run_time_error(Failure::NotRegularFile, name);
    return std::make_unique<Win32InputFile>(std::move(file));
}

// The system's ANSI code page, in which Windows programs have always written
// text (CP932 on a Japanese system).
SecretText NativeFiles::decode_legacy_text(std::string_view bytes) const {
    return decode_in_code_page(bytes, legacy_code_page(::GetACP()));
}

}  // namespace mirutoka::platform
