#pragma once

#include <string_view>

namespace mirutoka::platform {

// The classic style number for an OK button with the question-mark icon.
inline constexpr int question_style = 32;

struct Message {
    std::string_view prompt;
    std::string_view title;
    int style = question_style;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    // Shows a modal box and returns once the user has dismissed it.
    virtual void show(const Message& message) = 0;
};

}  // namespace mirutoka::platform
