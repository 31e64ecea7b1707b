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
// the listing and each copy live in mappings of their own, zeroed as they go.
template <typename Look>
void for_each_writable_region(Look look) {
    const auto with_mapping = [](std::size_t size, auto use) {
        void* bytes = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (bytes == MAP_FAILED) std::abort();
        use(static_cast<char*>(bytes));
        std::memset(bytes, 0, size);
        ::munmap(bytes, size);
    };
    constexpr std::size_t listing_size = 4 << 20;
    with_mapping(listing_size, [&](char* listing) {
        const int maps = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
        for (std::size_t got = 0, more = 1; more > 0; got += more)
            more = static_cast<std::size_t>(std::max<ssize_t>(0, ::read(maps, listing + got, listing_size - 1 - got)));
        ::close(maps);
        const int memory = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
        for (std::string_view rest(listing); !rest.empty();) {
            const std::string_view line = rest.substr(0, rest.find('\n'));
            rest.remove_prefix(std::min(rest.size(), line.size() + 1));
            char* permissions = nullptr;
            const std::size_t begin = std::strtoul(line.data(), &permissions, 16);
            const std::size_t size = std::strtoul(permissions + 1, &permissions, 16) - begin;
            const bool writable = permissions[1] == 'r' && permissions[2] == 'w';
            if (!writable || line.find("[vvar") != std::string_view::npos) continue;
            with_mapping(size, [&](char* copy) {
                const ssize_t count = ::pread(memory, copy, size, static_cast<off_t>(begin));
                if (count > 0)
                    look(std::span(reinterpret_cast<const unsigned char*>(copy), static_cast<std::size_t>(count)));
            });
        }
        ::close(memory);
    });
}

}  // namespace mirutoka::testing
