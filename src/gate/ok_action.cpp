#include "gate/ok_action.h"

#include <algorithm>
#include <string_view>

#include "gate/field_reader.h"
#include "gate/password_file.h"
#include "platform/process.h"

namespace mirutoka::gate {
namespace {

// Exact, and as long for a near miss as for a far one: every byte up to the
// longer length is looked at, whatever differed before.
bool same_text(std::string_view typed, std::string_view stored) {
    unsigned difference = typed.size() == stored.size() ? 0U : 1U;
    for (std::size_t i = 0; i < std::max(typed.size(), stored.size()); ++i) {
        const auto a = i < typed.size() ? static_cast<unsigned char>(typed[i]) : 0U;
        const auto b = i < stored.size() ? static_cast<unsigned char>(stored[i]) : 0U;
        difference |= a ^ b;
    }
    return difference == 0;
}

// Reads the typed text once, compares, and leaves neither copy in memory.
bool matches(const PassOperations& pass, std::string& password) {
    std::string typed = pass.typed_text();
    const bool same = same_text(typed, password);
    platform::wipe(typed);
    platform::wipe(password);
    return same;
}

}  // namespace

void Command1_Click(const GatePlatform& platform, const PassOperations& pass) {
    if (File_Ok(platform.files, password_file_name) != 0) {
        platform.message_boxes.show(M3);
        pass.unload();
        return;
    }

    std::unique_ptr<platform::InputFile> file = platform.files.open_for_input(password_file_name);
    FieldReader fields(*file, platform.files);
    std::string s = fields.read_field();
    if (!matches(pass, s)) {
        platform.message_boxes.show(M2);
    } else {
        s = fields.read_field();
        const double task_id = platform.program_start.start(s);
        if (task_id == 0) platform.message_boxes.show(M1);
    }
    file.reset();
    pass.unload();
}

}  // namespace mirutoka::gate
