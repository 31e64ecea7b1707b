#include "platform/hardening.h"

#include <sys/prctl.h>

#include "platform/posix/core_limit.h"

namespace mirutoka::platform {
namespace {

rlimit read_core_limit() noexcept {
    rlimit limit{};
    ::getrlimit(RLIMIT_CORE, &limit);
    return limit;
}

const rlimit limit_at_start = read_core_limit();

}  // namespace

const rlimit& core_limit_at_start() noexcept { return limit_at_start; }

// Only the soft limit: the hard one stays, so that a started program can be
// given back what this process was started with.
void harden_process() {
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit no_core{0, core_limit_at_start().rlim_max};
    ::setrlimit(RLIMIT_CORE, &no_core);
}

}  // namespace mirutoka::platform
