#pragma once

#include "gate/front_end.h"

namespace mirutoka::ui::qt {

// Shows the error's number and description in a modal box, writes the same to
// standard error, and ends the process at once with exit code 1.
class QtErrorReport final : public gate::ErrorReport {
public:
    [[noreturn]] void report(const platform::RunTimeError& error) override;
};

}  // namespace mirutoka::ui::qt
