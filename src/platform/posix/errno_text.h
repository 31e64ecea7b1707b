#pragma once

#include <cstring>
#include <string>

namespace mirutoka::platform {

// The symbolic name of an errno value ("ELOOP"), the same in every locale.
inline std::string errno_name(int error) {
    const char* name = ::strerrorname_np(error);
    return name != nullptr ? name : "errno " + std::to_string(error);
}

}  // namespace mirutoka::platform
