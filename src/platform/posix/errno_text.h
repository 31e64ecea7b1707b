#pragma once

#include <cstring>
#include <string>

namespace mirutoka::platform {

// The symbolic name of an errno value ("ELOOP"), the same in every locale.
// strerrorname_np is glibc's (2.32 and later), as is posix_spawn's
// addclosefrom_np (2.34): the Linux build is for glibc systems.
inline std::string errno_name(int error) {
    const char* name = ::strerrorname_np(error);
    return name != nullptr ? name : "errno " + std::to_string(error);
}

}  // namespace mirutoka::platform
