#pragma once

#include "platform/message_boxes.h"

namespace mirutoka::ui::qt {

class QtMessageBoxes final : public platform::MessageBoxes {
public:
    void show(const platform::Message& message) override;
};

}  // namespace mirutoka::ui::qt
