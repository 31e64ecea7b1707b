#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "gate/ok_action.h"
#include "gate/password_file.h"
#include "platform/native.h"
#include "platform/secrets.h"
#include "support/case_name.h"
#include "support/fakes.h"
#include "support/process_memory.h"
#include "support/temp_dir.h"

namespace mirutoka::platform {
namespace {

// A password is made at run time and only ever kept here masked, in each
// encoding it may take inside the process: the scan must find nothing but
// what the OK action left behind. (Kept reversed, a password with a
// palindrome in it would be found in the test's own copy.)
enum Form : std::size_t { Utf8, Cp932, Utf16LittleEndian, Utf16BigEndian, Utf32, form_count };
constexpr std::array<const char*, form_count> form_names = {"UTF-8", "CP932", "UTF-16LE", "UTF-16BE", "UTF-32"};

using Bytes = std::vector<unsigned char>;

// Letters and hiragana: U+3041 + k is 0x82, 0x9F + k in CP932.
constexpr char32_t hiragana_first = 0x3041;
constexpr unsigned hiragana_count = 83;

Bytes encoded(char32_t c, Form form) {
    const bool kana = c >= hiragana_first;
    switch (form) {
    case Utf8:
        if (!kana) return {static_cast<unsigned char>(c)};
        return {static_cast<unsigned char>(0xE0U | (c >> 12U)), static_cast<unsigned char>(0x80U | ((c >> 6U) & 0x3FU)),
                static_cast<unsigned char>(0x80U | (c & 0x3FU))};
    case Cp932:
        if (!kana) return {static_cast<unsigned char>(c)};
        return {0x82, static_cast<unsigned char>(0x9F + (c - hiragana_first))};
    case Utf16LittleEndian:
        return {static_cast<unsigned char>(c & 0xFFU), static_cast<unsigned char>(c >> 8U)};
    case Utf16BigEndian:
        return {static_cast<unsigned char>(c >> 8U), static_cast<unsigned char>(c & 0xFFU)};
    default:
        return {static_cast<unsigned char>(c & 0xFFU), static_cast<unsigned char>(c >> 8U), 0, 0};
    }
}

constexpr unsigned char mask = 0x5A;

class Password {
public:
    // The first character is a kana, so that the password is never plain
    // ASCII and an unmarked CP932 file needs the legacy decoding. A short one
    // is all kana: 15 bytes of UTF-8, as many as a std::string holds inline.
    Password(std::size_t length, std::mt19937& random) {
        const unsigned letters = length <= 5 ? 0 : 26;
        for (std::size_t i = 0; i < length; ++i) {
            const auto k = static_cast<char32_t>(random() % (letters + hiragana_count));
            const char32_t c = i == length - 1 || k >= letters ? hiragana_first + k % hiragana_count : U'a' + k;
            for (std::size_t form = 0; form < form_count; ++form) {
                for (const unsigned char byte : encoded(c, static_cast<Form>(form)))
                    forms_[form].push_back(byte ^ mask);
            }
        }
    }

    // The password in `form`, the right way round, in a vector that is wiped
    // before it is let go.
    template <typename Use>
    void use_forwards(Form form, Use&& use) const {
        std::vector<char> text;
        text.reserve(forms_[form].size());
        for (const unsigned char byte : forms_[form]) text.push_back(static_cast<char>(byte ^ mask));
        use(std::string_view(text.data(), text.size()));
        wipe(text);
    }

    [[nodiscard]] const Bytes& masked(Form form) const { return forms_[form]; }

private:
    std::array<Bytes, form_count> forms_;
};

// Writes the file without a stream, whose buffer would keep a copy behind.
void write_password_file(std::string_view content) {
    const int fd = ::open(gate::password_file_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    ::close(fd);
}

using Counts = std::array<int, form_count>;

// Every piece of a password in its forms, found by a rolling hash, so that a
// 5,000-character password is looked for in one pass over the memory.
class PieceSearch {
public:
    PieceSearch(const std::vector<const Password*>& passwords, const std::vector<Form>& forms,
                std::size_t piece_length)
        : piece_length_(piece_length) {
        for (std::size_t k = 1; k < piece_length_; ++k) top_ *= base;
        for (const Password* password : passwords)
            for (const Form form : forms) {
                const Bytes& masked = password->masked(form);
                for (std::size_t begin = 0; begin + piece_length_ <= masked.size(); ++begin)
                    pieces_.emplace(hash_masked(masked, begin), Piece{&masked, begin, form});
            }
    }

    // Adds how many pieces of each form `memory` holds.
    void count_in(std::span<const unsigned char> memory, Counts& found) const {
        if (memory.size() < piece_length_) return;
        std::uint64_t hash = 0;
        for (std::size_t k = 0; k < piece_length_; ++k) hash = hash * base + memory[k];
        for (std::size_t at = 0;; ++at) {
            const auto [first, last] = pieces_.equal_range(hash);
            for (auto piece = first; piece != last; ++piece)
                if (is_piece(&memory[at], piece->second)) ++found[piece->second.form];
            if (at + piece_length_ >= memory.size()) return;
            hash = (hash - memory[at] * top_) * base + memory[at + piece_length_];
        }
    }

private:
    static constexpr std::uint64_t base = 0x100000001B3ULL;

    struct Piece {
        const Bytes* masked;
        std::size_t begin;
        Form form;
    };

    [[nodiscard]] std::uint64_t hash_masked(const Bytes& masked, std::size_t begin) const {
        std::uint64_t hash = 0;
        for (std::size_t k = 0; k < piece_length_; ++k) hash = hash * base + (masked[begin + k] ^ mask);
        return hash;
    }

    [[nodiscard]] bool is_piece(const unsigned char* at, const Piece& piece) const {
        for (std::size_t k = 0; k < piece_length_; ++k)
            if ((at[k] ^ mask) != (*piece.masked)[piece.begin + k]) return false;
        return true;
    }

    std::size_t piece_length_;
    std::uint64_t top_ = 1;
    std::unordered_multimap<std::uint64_t, Piece> pieces_;
};

// What the memory holds of the passwords, by form: "none", or the counts.
// A piece is as long as the shortest form allows, up to 32 bytes (of UTF-32,
// 64): a 10-byte piece of a long password is only three kana, and among its
// thousands of pieces one now and then equals three kana of some Japanese
// message an earlier test left in freed memory, "…りませ…" of an error text.
// Short passwords, whose pieces are their whole text, still catch a
// fragment as small as a register or an inline string.
class MemorySearch {
public:
    explicit MemorySearch(const std::vector<const Password*>& passwords)
        : bytes_(passwords, {Utf8, Cp932, Utf16LittleEndian, Utf16BigEndian},
                 piece_length(passwords, {Utf8, Cp932, Utf16LittleEndian, Utf16BigEndian}, 32)),
          code_points_(passwords, {Utf32}, piece_length(passwords, {Utf32}, 64)) {}

    [[nodiscard]] std::string found() const {
        Counts found{};
        testing::for_each_writable_region([&](std::span<const unsigned char> memory) {
            bytes_.count_in(memory, found);
            code_points_.count_in(memory, found);
        });
        std::string text;
        for (std::size_t form = 0; form < form_count; ++form)
            if (found[form] != 0) text += std::string(" ") + form_names[form] + ": " + std::to_string(found[form]);
        return text.empty() ? "none" : text;
    }

private:
    static std::size_t piece_length(const std::vector<const Password*>& passwords, const std::vector<Form>& forms,
                                    std::size_t longest) {
        std::size_t length = longest;
        for (const Password* password : passwords)
            for (const Form form : forms) length = std::min(length, password->masked(form).size());
        return std::max<std::size_t>(length, 1);
    }

    PieceSearch bytes_;
    PieceSearch code_points_;
};

class BoxesThatLook final : public gate::MessageBoxes {
public:
    std::function<void()> on_show;
    std::vector<std::string_view> titles;

    void show(const gate::Message& message) override {
        titles.push_back(message.title);
        on_show();
    }
};

struct WipeCase {
    const char* name;
    std::size_t length;
    Form file_form;
    bool typed_right;
};

const std::vector<WipeCase> wipe_cases = {
    {"short_utf8_right", 5, Utf8, true},           {"short_cp932_wrong", 5, Cp932, false},
    {"short_utf16_right", 5, Utf16LittleEndian, true}, {"forty_utf8_wrong", 40, Utf8, false},
    {"forty_cp932_right", 40, Cp932, true},        {"forty_utf16_wrong", 40, Utf16LittleEndian, false},
    {"long_utf8_right", 5000, Utf8, true},         {"long_cp932_wrong", 5000, Cp932, false},
    {"long_utf16_wrong", 5000, Utf16LittleEndian, false},
};

class Secrets : public ::testing::TestWithParam<WipeCase> {};

// Once the typed text and the stored password have been compared, no piece
// of either is left in the process's writable memory: not when the mismatch
// box shows, not once the OK action is over.
TEST_P(Secrets, LeaveNoPieceInMemory) {
    const WipeCase& test_case = GetParam();
    // The search's first run binds the library functions it calls, and the
    // dynamic linker saves the vector registers on the stack as it binds,
    // whatever they hold: so it runs once before there is anything to find.
    (void)MemorySearch({}).found();
    const testing::TempDir dir;
    const testing::ScopedWorkingDirectory in_dir(dir.path());
    std::mt19937 random(std::random_device{}());
    const Password stored(test_case.length, random);
    const Password other(test_case.length, random);
    const Password& typed = test_case.typed_right ? stored : other;
    const MemorySearch search({&stored, &other});

    const std::string_view mark = test_case.file_form == Utf16LittleEndian ? "\xFF\xFE" : "";
    stored.use_forwards(test_case.file_form, [&](std::string_view password) {
        std::vector<char> content(mark.begin(), mark.end());
        content.reserve(content.size() + password.size() + 16);
        content.insert(content.end(), password.begin(), password.end());
        const Bytes line_end = test_case.file_form == Utf16LittleEndian ? Bytes{'\n', 0, 'g', 0, '\n', 0}
                                                                         : Bytes{'\n', 'g', '\n'};
        content.insert(content.end(), line_end.begin(), line_end.end());
        write_password_file({content.data(), content.size()});
        wipe(content);
    });
    SecretText typed_text;
    typed.use_forwards(Utf8, [&](std::string_view text) { typed_text = SecretText(text); });

    const NativeFiles files;
    testing::FakeProgramStart program_start;
    BoxesThatLook boxes;
    testing::FakeErrorReport report;
    std::string found_at_box;
    boxes.on_show = [&] { found_at_box = search.found(); };
    gate::Command1_Click({files, program_start, boxes, report}, std::move(typed_text));

    ASSERT_TRUE(report.reported.empty()) << report.reported.front().description();
    if (test_case.typed_right) {
        EXPECT_EQ(program_start.started, std::vector<std::string>{"g"});
    } else {
        ASSERT_EQ(boxes.titles, std::vector<std::string_view>{gate::M2.title});
        EXPECT_EQ(found_at_box, "none") << "pieces found while the mismatch box shows";
    }
    EXPECT_EQ(search.found(), "none") << "pieces found after the OK action";
}

INSTANTIATE_TEST_SUITE_P(, Secrets, ::testing::ValuesIn(wipe_cases), testing::CaseName());

}  // namespace
}  // namespace mirutoka::platform
