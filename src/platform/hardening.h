#pragma once

namespace mirutoka::platform {

// Called as early as it can be, before any secret is read: no core dump can
// carry the password away and, on Windows, no DLL is loaded from the working
// folder, the one that holds PASSWORD.INI.
void harden_process();

}  // namespace mirutoka::platform
