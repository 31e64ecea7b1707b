#pragma once

#include "platform/files.h"
#include "platform/program_start.h"

// The build links exactly one implementation of these, the one for its platform.
namespace mirutoka::platform {

class NativeFiles final : public Files {
public:
    [[nodiscard]] std::unique_ptr<InputFile> open_for_input(const std::string& name) const override;
    [[nodiscard]] SecretText decode_legacy_text(std::string_view bytes) const override;
};

class NativeProgramStart final : public ProgramStart {
public:
    double start(const std::string& command_line) override;
};

}  // namespace mirutoka::platform
