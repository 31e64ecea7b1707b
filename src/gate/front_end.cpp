#include "gate/front_end.h"

#include <new>

namespace mirutoka::gate {

using platform::RunTimeError;

std::string untrapped_error_text(const RunTimeError& error) {
    return "実行時エラー '" + std::to_string(error.number()) + "':\n\n" + error.description();
}

RunTimeError as_run_time_error(const std::exception_ptr& thrown) noexcept {
    try {
        std::rethrow_exception(thrown);
    } catch (const RunTimeError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return platform::run_time_error(platform::Failure::OutOfMemory);
    } catch (...) {
        return platform::run_time_error(platform::Failure::Internal);
    }
}

}  // namespace mirutoka::gate
