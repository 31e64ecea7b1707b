#include "platform/secrets.h"

#include <algorithm>

namespace mirutoka::platform {

// The empty assembly may read the memory, so the compiler must keep the
// stores before it, dead as they look.
void wipe(std::span<char> secret) noexcept {
    std::fill(secret.begin(), secret.end(), '\0');
    asm volatile("" : : "r"(secret.data()) : "memory");
}

}  // namespace mirutoka::platform
