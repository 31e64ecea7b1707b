// The test program's operator new, apart from the tests, so that no compiler
// pairs it with the library's operator delete, which frees with free() as ever.
#include "ui/win32/failing_allocation.h"

#include <cstdlib>
#include <new>

namespace {
bool failing = false;
}  // namespace

void fail_next_allocation(bool fail) { failing = fail; }

void* operator new(std::size_t size) {
    if (failing) {
        failing = false;
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
