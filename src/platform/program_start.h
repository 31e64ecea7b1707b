#pragma once

#include <string>

namespace mirutoka::platform {

class ProgramStart {
public:
    virtual ~ProgramStart() = default;

    // Starts `command_line` and returns its task identifier at once, without
    // waiting; 0 means nothing was started. Windows is asked for a normal
    // window with the focus; on Linux the program opens its windows itself and
    // the desktop decides where the focus goes. Throws RunTimeError, naming
    // the program, when it cannot be started.
    virtual double start(const std::string& command_line) = 0;
};

}  // namespace mirutoka::platform
