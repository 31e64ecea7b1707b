#include "platform/utf8.h"

#include <gtest/gtest.h>

namespace mirutoka::platform {
namespace {

struct Utf8Case {
    const char* text;
    bool valid;
};

class Utf8Validity : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Validity, Classifies) { EXPECT_EQ(is_valid_utf8(GetParam().text), GetParam().valid) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(Cases, Utf8Validity,
                         ::testing::Values(Utf8Case{"ascii", true}, Utf8Case{"パスワード", true},
                                           Utf8Case{"\xF0\x9F\x98\x80", true},         // U+1F600
                                           Utf8Case{"\xC0\xAF", false},                // overlong '/'
                                           Utf8Case{"\xE0\x80\xAF", false},            // overlong '/'
                                           Utf8Case{"\xED\xA0\x80", false},            // surrogate
                                           Utf8Case{"\xF4\x90\x80\x80", false},        // past U+10FFFF
                                           Utf8Case{"\xE3\x81", false},                // cut short
                                           Utf8Case{"\x83\x70\x83\x58", false},        // CP932 "パス"
                                           Utf8Case{"\xB1\xB2", false},                // CP932 half-width kana
                                           Utf8Case{"\xFF", false}));

TEST(Utf8, AppendsEveryLength) {
    std::string text;
    for (const char32_t code_point : {U'A', U'é', U'パ', U'\U0001F600'}) append_utf8(text, code_point);
    EXPECT_EQ(text, "Aéパ\U0001F600");
    EXPECT_TRUE(is_valid_utf8(text));
}

}  // namespace
}  // namespace mirutoka::platform
