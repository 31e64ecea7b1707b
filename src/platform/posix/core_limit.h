#pragma once

#include <sys/resource.h>

namespace mirutoka::platform {

// The core-file limit the process was started with, read before main runs.
// harden_process lowers it to 0 while the process may hold a secret; the
// programs it starts get this one back.
const rlimit& core_limit_at_start() noexcept;

}  // namespace mirutoka::platform
