#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>

namespace mirutoka::testing {

// Anonymous memory of its own, zeroed before it goes.
class Mapping {
public:
    explicit Mapping(std::size_t size)
        : size_(size), bytes_(::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)) {
        if (bytes_ == MAP_FAILED) std::abort();
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    ~Mapping() {
        std::memset(bytes_, 0, size_);
        ::munmap(bytes_, size_);
    }
    [[nodiscard]] char* data() const { return static_cast<char*>(bytes_); }

private:
    std::size_t size_;
    void* bytes_;
};

struct Region {
    std::size_t begin;
    std::size_t end;
    bool writable;  // and not the kernel's [vvar], which cannot be read
};

// One line of /proc/self/maps: "begin-end perms ...".
inline Region region_of(std::string_view line) {
    char* rest = nullptr;
    const std::size_t begin = std::strtoul(line.data(), &rest, 16);
    const std::size_t end = std::strtoul(rest + 1, &rest, 16);
    return {begin, end, rest[1] == 'r' && rest[2] == 'w' && line.find("[vvar") == std::string_view::npos};
}

// Calls `look` with a copy of each writable region of this process. The
// search allocates nothing on the heap, whose blocks it would reuse and so
// overwrite, or copy as they grow, and copies into a mapping made after the
// regions are listed, so that it never finds a copy of its own making.
template <typename Look>
void for_each_writable_region(Look look) {
    constexpr std::size_t listing_size = 4 << 20;
    const Mapping listing(listing_size);
    const int maps = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    std::size_t listed = 0;
    for (ssize_t got = 1; got > 0 && listed < listing_size - 1; listed += static_cast<std::size_t>(got))
        got = ::read(maps, listing.data() + listed, listing_size - 1 - listed);
    ::close(maps);
    const auto each_line = [&](auto use) {
        for (std::string_view rest(listing.data()); !rest.empty();) {
            const std::string_view line = rest.substr(0, rest.find('\n'));
            rest.remove_prefix(std::min(rest.size(), line.size() + 1));
            use(region_of(line));
        }
    };
    std::size_t largest = 0;
    each_line([&](Region region) { largest = std::max(largest, region.end - region.begin); });
    const Mapping copy(largest);
    const int memory = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
    each_line([&](Region region) {
        if (!region.writable) return;
        const ssize_t count = ::pread(memory, copy.data(), region.end - region.begin, static_cast<off_t>(region.begin));
        if (count > 0)
            look(std::span(reinterpret_cast<const unsigned char*>(copy.data()), static_cast<std::size_t>(count)));
    });
    ::close(memory);
}

}  // namespace mirutoka::testing
