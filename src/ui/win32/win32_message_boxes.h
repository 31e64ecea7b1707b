#pragma once

#include "platform/message_boxes.h"

namespace mirutoka::ui::win32 {

// The classic style numbers are MessageBox flags, so the style goes through as it is.
class Win32MessageBoxes final : public platform::MessageBoxes {
public:
    void show(const platform::Message& message) override;
};

}  // namespace mirutoka::ui::win32
