#pragma once

// While set, the test program's next allocation fails as it would with no
// memory left; the failure clears it.
void fail_next_allocation(bool fail);
