#include "gate/event_handler.h"

#include <exception>
#include <new>

namespace mirutoka::gate {

using platform::ErrorNumber;
using platform::RunTimeError;

void run_event_handler(const std::function<void()>& handler, platform::ErrorReport& report) noexcept {
    try {
        handler();
    } catch (const RunTimeError& error) {
        report.report(error);
    } catch (const std::bad_alloc&) {
        report.report(RunTimeError(ErrorNumber::OutOfMemory, "メモリが不足しています。"));
    } catch (...) {
        report.report(RunTimeError(ErrorNumber::InternalError, "内部エラーが発生しました。"));
    }
}

std::string untrapped_error_text(const RunTimeError& error) {
    return "実行時エラー '" + std::to_string(error.number()) + "':\n\n" + error.description();
}

}  // namespace mirutoka::gate
