#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace mirutoka::gate {

// Looked up in the current working directory, never beside the program.
inline const std::string password_file_name = "PASSWORD.INI";

// 0 when `FileName` could be opened for reading and closed again, 1 when any
// step failed. It is the one place that traps run-time errors; only running
// out of memory gets past it, as everywhere.
std::int16_t File_Ok(const platform::Files& files, const std::string& FileName);

}  // namespace mirutoka::gate
