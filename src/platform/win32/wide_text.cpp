#include "platform/win32/wide_text.h"

#include <windows.h>

#include "platform/run_time_error.h"
#include "platform/utf8.h"

namespace mirutoka::platform {

std::wstring to_wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string to_utf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    std::string utf8(
        static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr)),
        '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), static_cast<int>(utf8.size()), nullptr,
                          nullptr);
    return utf8;
}

SecretText secret_utf8(const Secret<wchar_t>& wide) {
    return utf8_from_utf16(wide.view());
}

unsigned legacy_code_page(unsigned ansi_code_page) {
    constexpr unsigned japanese = 932;
    return ansi_code_page == CP_UTF8 ? japanese : ansi_code_page;
}

SecretText decode_in_code_page(std::string_view bytes, unsigned code_page) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length == 0) throw run_time_error(Failure::UndecodableText);
    Secret<wchar_t> wide;
    wide.resize(static_cast<std::size_t>(length));
    ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length);
    return secret_utf8(wide);
}

}  // namespace mirutoka::platform
