#include "gate/ok_action.h"

#include <algorithm>
#include <string_view>

#include "gate/field_reader.h"
#include "gate/password_file.h"
#include "platform/secrets.h"

namespace mirutoka::gate {
namespace {

using platform::SecretText;

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

// Compares, and leaves neither text in memory.
bool matches(SecretText& typed, SecretText& password) {
    const bool same = same_text(typed.view(), password.view());
    typed.clear();
    password.clear();
    return same;
}

void check_and_start(const Services& services, SecretText& typed_text) {
    if (File_Ok(services.files, password_file_name) != 0) {
        services.message_boxes.show(M3);
        return;
    }

    const std::unique_ptr<platform::InputFile> file = services.files.open_for_input(password_file_name);
    FieldReader fields(*file, services.files);
    SecretText s = fields.read_field();
    if (!matches(typed_text, s)) {
        services.message_boxes.show(M2);
        return;
    }
    s = fields.read_field();
    const double task_id = services.program_start.start(std::string(s.view()));
    if (task_id == 0) services.message_boxes.show(M1);
}

}  // namespace

void Command1_Click(const Services& services, SecretText typed_text) noexcept {
    run_event_handler([&] { check_and_start(services, typed_text); }, services.error_report);
}

}  // namespace mirutoka::gate
