// Any bytes as PASSWORD.INI: at most two fields come out, each valid UTF-8
// and bounded in length, or a run-time error; never a crash, a hang, an
// over-read or unbounded memory. The second field also goes through the
// command-line splitter, as it would before a start.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "gate/field_reader.h"
#include "platform/native.h"
#include "platform/posix/command_line.h"
#include "platform/run_time_error.h"
#include "platform/utf8.h"
#include "support/fakes.h"

namespace {

void check(std::string_view field) {
    // A 64 KiB field of CP932 half-width kana becomes three times as long in UTF-8.
    if (!mirutoka::platform::is_valid_utf8(field) || field.size() > 3 * mirutoka::gate::max_field_length) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string content(reinterpret_cast<const char*>(data), size);
    const mirutoka::platform::NativeFiles files;
    // The input's length picks the read size, so buffer boundaries fall everywhere.
    mirutoka::testing::MemoryFile file(content, 1 + size % 7);
    mirutoka::gate::FieldReader fields(file, files);
    try {
        check(fields.read_field().view());
        const std::string command_line(fields.read_field().view());
        check(command_line);
        (void)mirutoka::platform::split_command_line(command_line);
    } catch (const mirutoka::platform::RunTimeError&) {
    }
    return 0;
}
