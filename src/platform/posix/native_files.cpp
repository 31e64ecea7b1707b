#include <fcntl.h>
#include <iconv.h>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/native.h"
#include "platform/posix/errno_text.h"
#include "platform/posix/unique_fd.h"
#include "platform/run_time_error.h"
#include "platform/secrets.h"
#include "platform/utf8.h"

namespace mirutoka::platform {
namespace {

RunTimeError open_error(int error, const std::string& name) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return run_time_error(Failure::FileNotFound, name);
    case EACCES:
    case EPERM:
        return run_time_error(Failure::FileAccessDenied, name);
    default:
        return run_time_error(Failure::FileNotOpened, name, errno_name(error));
    }
}

class PosixInputFile final : public InputFile {
public:
    explicit PosixInputFile(UniqueFd fd) : fd_(std::move(fd)) {}

    std::size_t read(std::span<char> buffer) override {
        for (;;) {
            const ssize_t count = ::read(fd_.get(), buffer.data(), buffer.size());
            if (count >= 0) return static_cast<std::size_t>(count);
            if (errno != EINTR) throw run_time_error(Failure::ReadFailed, {}, errno_name(errno));
        }
    }

private:
    UniqueFd fd_;
};

class Iconv {
public:
    Iconv(const char* to, const char* from) : handle_(::iconv_open(to, from)) {
        if (handle_ == invalid())
            throw run_time_error(Failure::ConverterMissing, from);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    ~Iconv() { ::iconv_close(handle_); }

    [[nodiscard]] iconv_t get() const { return handle_; }

private:
    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }  // NOLINT: iconv's own error value
    iconv_t handle_;
};

// Windows' code page 932 reads five single bytes that glibc's CP932 leaves
// undefined; a file reads the same on both builds.
std::optional<wchar_t> windows_only_character(unsigned char byte) {
    switch (byte) {
    case 0x80: return L'\u0080';
    case 0xA0: return L'\uF8F0';
    case 0xFD: return L'\uF8F1';
    case 0xFE: return L'\uF8F2';
    case 0xFF: return L'\uF8F3';
    default: return std::nullopt;
    }
}

constexpr bool is_cp932_lead_byte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace

// O_NONBLOCK keeps a FIFO from blocking the open; only a regular file is
// accepted, so a device, FIFO or socket under the name is never read.
std::unique_ptr<InputFile> NativeFiles::open_for_input(const std::string& name) const {
    UniqueFd fd(::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) throw open_error(errno, name);
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) throw open_error(errno, name);
    if (!S_ISREG(status.st_mode))
        throw run_time_error(Failure::NotRegularFile, name);
    return std::make_unique<PosixInputFile>(std::move(fd));
}

// Straight to code points, in one step of glibc's: a conversion to UTF-8
// would go through a buffer of iconv's own, which it frees without wiping.
// The five bytes above are looked at only where a character begins: 0x80
// is a trail byte too.
SecretText NativeFiles::decode_legacy_text(std::string_view bytes) const {
    const Iconv converter("WCHAR_T", "CP932");
    Secret<wchar_t> code_points;
    code_points.resize(bytes.size());  // no CP932 character is shorter than a byte
    std::size_t decoded = 0;
    std::size_t run_begin = 0;
    const auto convert_run = [&](std::size_t run_end) {
        char* in = const_cast<char*>(bytes.data() + run_begin);  // NOLINT: iconv's type; it never writes the input
        std::size_t in_left = run_end - run_begin;
        char* out = reinterpret_cast<char*>(code_points.data() + decoded);
        std::size_t out_left = (code_points.size() - decoded) * sizeof(wchar_t);
        if (::iconv(converter.get(), &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1))
            throw run_time_error(Failure::UndecodableText);
        decoded = code_points.size() - out_left / sizeof(wchar_t);
    };
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (const std::optional<wchar_t> character = windows_only_character(byte)) {
            convert_run(i);
            code_points.data()[decoded++] = *character;
            run_begin = ++i;
        } else {
            i += is_cp932_lead_byte(byte) ? 2 : 1;
        }
    }
    convert_run(bytes.size());
    code_points.resize(decoded);
    SecretText text;
    for (const wchar_t code_point : code_points.view()) append_utf8(text, static_cast<char32_t>(code_point));
    return text;
}

}  // namespace mirutoka::platform
