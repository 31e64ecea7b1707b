#include "gate/password_file.h"

#include "platform/run_time_error.h"

namespace mirutoka::gate {

std::int16_t File_Ok(const platform::Files& files, const std::string& FileName) {
    std::int16_t result = 0;
    try {
        // Closed again as soon as the statement ends; no content is read.
        (void)files.open_for_input(FileName);
    } catch (const platform::RunTimeError&) {
        result = 1;
    }
    return result;
}

}  // namespace mirutoka::gate
