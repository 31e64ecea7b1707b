#include "platform/process.h"

#include <string.h>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace mirutoka::platform {

void harden_process() {
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit no_core{0, 0};
    ::setrlimit(RLIMIT_CORE, &no_core);
}

void wipe(std::span<char> secret) noexcept { ::explicit_bzero(secret.data(), secret.size()); }

}  // namespace mirutoka::platform
