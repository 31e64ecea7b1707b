#pragma once

#include "gate/front_end.h"

namespace mirutoka::ui::qt {

class QtMessageBoxes final : public gate::MessageBoxes {
public:
    void show(const gate::Message& message) override;
};

}  // namespace mirutoka::ui::qt
