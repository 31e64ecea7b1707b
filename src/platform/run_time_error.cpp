#include "platform/run_time_error.h"

namespace mirutoka::platform {

RunTimeError::RunTimeError(ErrorNumber number, const std::string& description)
    : std::runtime_error(description), number_(number), description_(description) {}

}  // namespace mirutoka::platform
