#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>

namespace mirutoka::testing {

// Calls `look` with a copy of each writable region of this process (but the
// kernel's [vvar], which cannot be read). The search allocates nothing on the
// heap, whose blocks it would reuse and so overwrite, or copy as they grow:
// the listing is static, and each copy a mapping of its own, zeroed as it goes.
template <typename Look>
void for_each_writable_region(Look look) {
    static char listing[4 << 20];
    const int maps = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    std::size_t listed = 0;
    for (ssize_t got = 0; (got = ::read(maps, listing + listed, sizeof listing - 1 - listed)) > 0;)
        listed += static_cast<std::size_t>(got);
    ::close(maps);
    listing[listed] = '\0';
    const int memory = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
    for (std::string_view rest(listing); !rest.empty();) {
        const std::string_view line = rest.substr(0, rest.find('\n'));
        rest.remove_prefix(std::min(rest.size(), line.size() + 1));
        char* permissions = nullptr;
        const std::size_t begin = std::strtoul(line.data(), &permissions, 16);
        const std::size_t size = std::strtoul(permissions + 1, &permissions, 16) - begin;
        if (permissions[1] != 'r' || permissions[2] != 'w' || line.find("[vvar") != std::string_view::npos) continue;
        void* copy = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (copy == MAP_FAILED) std::abort();
        const ssize_t count = ::pread(memory, copy, size, static_cast<off_t>(begin));
        if (count > 0) look(std::span(static_cast<const unsigned char*>(copy), static_cast<std::size_t>(count)));
        std::memset(copy, 0, size);
        ::munmap(copy, size);
    }
    ::close(memory);
}

}  // namespace mirutoka::testing
