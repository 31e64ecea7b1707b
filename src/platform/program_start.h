#pragma once

#include <string>

namespace mirutoka::platform {

class ProgramStart {
public:
    virtual ~ProgramStart() = default;

    // Starts `command_line` in a normal window that takes the focus and returns
    // its task identifier at once, without waiting. 0 means nothing was started.
    // Throws RunTimeError, naming the program, when it cannot be started.
    virtual double start(const std::string& command_line) = 0;
};

}  // namespace mirutoka::platform
