#pragma once

#include <span>
#include <string>

// Keeping the password in: what the process does so that no secret leaves it.
namespace mirutoka::platform {

// Called as early as it can be, before any secret is read: no core dump can
// carry the password away and, on Windows, no DLL is loaded from the working
// folder, the one that holds PASSWORD.INI.
void harden_process();

// Overwrites a secret in memory in a way the compiler may not drop.
void wipe(std::span<char> secret) noexcept;
template <typename Char>
void wipe(std::basic_string<Char>& secret) noexcept {
    wipe(std::span(reinterpret_cast<char*>(secret.data()), secret.size() * sizeof(Char)));
}

}  // namespace mirutoka::platform
