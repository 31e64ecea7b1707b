#include "gate/ok_action.h"

#include "gate/field_reader.h"
#include "gate/password_file.h"

namespace mirutoka::gate {

void Command1_Click(const GatePlatform& platform, const PassOperations& pass) {
    if (File_Ok(platform.files, password_file_name) != 0) {
        platform.message_boxes.show(M3);
        pass.unload();
        return;
    }

    std::unique_ptr<platform::InputFile> file = platform.files.open_for_input(password_file_name);
    FieldReader fields(*file, platform.files);
    std::string s = fields.read_field();
    if (pass.typed_text() != s) {
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
