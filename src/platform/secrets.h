#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

// Keeping the password in memory that no one else gets to read afterwards.
namespace mirutoka::platform {

// Overwrites a secret in memory in a way the compiler may not drop.
void wipe(std::span<char> secret) noexcept;
template <typename T>
void wipe(T* secret, std::size_t count) noexcept {
    wipe(std::span(reinterpret_cast<char*>(secret), count * sizeof(T)));
}

// Wipes every block before it goes back to the heap, so that neither growing
// a secret nor its end leaves a copy behind in freed memory.
template <typename T>
struct WipingAllocator {
    using value_type = T;

    WipingAllocator() = default;
    template <typename U>
    explicit(false) WipingAllocator(const WipingAllocator<U>& /*other*/) noexcept {}

    [[nodiscard]] T* allocate(std::size_t count) { return std::allocator<T>().allocate(count); }
    void deallocate(T* block, std::size_t count) noexcept {
        wipe(block, count);
        std::allocator<T>().deallocate(block, count);
    }

    friend bool operator==(const WipingAllocator& /*a*/, const WipingAllocator& /*b*/) noexcept { return true; }
};

// Text that may be a password. It cannot be copied, only moved, and it keeps
// no characters inside the object itself (unlike a short std::string), so
// every character it ever held lives in blocks the allocator wipes.
template <typename Char>
class Secret {
public:
    Secret() = default;
    explicit Secret(std::basic_string_view<Char> text) : chars_(text.begin(), text.end()) {}
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;
    Secret(Secret&&) noexcept = default;
    Secret& operator=(Secret&&) noexcept = default;
    ~Secret() = default;

    void push_back(Char c) { chars_.push_back(c); }
    void pop_back() noexcept {
        chars_.back() = Char{};
        chars_.pop_back();
    }
    // Zero-filled room to be written into, or the first `size` characters.
    void resize(std::size_t size) { chars_.resize(size); }
    // Empties the text and wipes it at once, not only when its block is freed.
    void clear() noexcept {
        wipe(chars_.data(), chars_.size());
        chars_.clear();
    }

    [[nodiscard]] Char* data() noexcept { return chars_.data(); }
    [[nodiscard]] std::size_t size() const noexcept { return chars_.size(); }
    [[nodiscard]] bool empty() const noexcept { return chars_.empty(); }
    [[nodiscard]] Char back() const { return chars_.back(); }
    [[nodiscard]] std::basic_string_view<Char> view() const noexcept { return {chars_.data(), chars_.size()}; }

    friend bool operator==(const Secret& secret, std::basic_string_view<Char> text) noexcept {
        return secret.view() == text;
    }

private:
    std::vector<Char, WipingAllocator<Char>> chars_;
};

// UTF-8, the text of the program's own code.
using SecretText = Secret<char>;

}  // namespace mirutoka::platform
