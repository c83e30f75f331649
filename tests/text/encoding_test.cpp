#include "net/encoding.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace lumikko {
namespace {

const std::string ye = "\xE9\xA1\xB5";                 // 页 in UTF-8
const std::string ye_gbk = "\xD2\xB3";                 // 页 in GBK
const std::string fffd = "\xEF\xBF\xBD";               // U+FFFD
const std::string banben = "\xE7\x89\x88\xE6\x9C\xAC"; // 版本
const std::string banben_gbk = "\xB0\xE6\xB1\xBE";

struct CodecCase {
    const char* name;
    std::string in;
    std::string out;
    friend void PrintTo(const CodecCase& c, std::ostream* os) { *os << c.name; }
};

auto case_name = [](const auto& info) { return std::string(info.param.name); };

class UrlEncode : public ::testing::TestWithParam<CodecCase> {};

TEST_P(UrlEncode, EscapesEveryByte) {
    EXPECT_EQ(url_encode_utf8(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlEncode,
    ::testing::Values(CodecCase{"a_b", "a b", "%61%20%62"}, CodecCase{"ye", ye, "%E9%A1%B5"},
                      CodecCase{"tab", "\t", "%09"}, CodecCase{"newline", "\n", "%0A"},
                      CodecCase{"letters_digits_punct", "Az09-_.~%", "%41%7A%30%39%2D%5F%2E%7E%25"},
                      CodecCase{"high_byte", "\xFF", "%FF"}, CodecCase{"empty", "", ""}),
    case_name);

class UrlDecode : public ::testing::TestWithParam<CodecCase> {};

TEST_P(UrlDecode, DecodesToValidUtf8) {
    const std::string out = url_decode_utf8(GetParam().in);
    EXPECT_EQ(out, GetParam().out);
    EXPECT_TRUE(is_valid_utf8(out));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlDecode,
    ::testing::Values(
        CodecCase{"ye_upper", "%E9%A1%B5", ye}, CodecCase{"ye_lower", "%e9%a1%b5", ye},
        CodecCase{"ye_mixed_case", "%e9%A1%b5", ye},
        CodecCase{"plain_utf8", "x" + ye + banben + "y", "x" + ye + banben + "y"},
        CodecCase{"mixed_plain_and_escaped", ye + "%E9%A1%B5-%41", ye + ye + "-A"},
        CodecCase{"zero_dropped", "%00", ""}, CodecCase{"zero_dropped_inside", "a%00b", "ab"},
        CodecCase{"raw_zero_dropped", std::string("a\0b", 3), "ab"}, CodecCase{"empty", "", ""},
        CodecCase{"plus_stays", "a+b%2B", "a+b+"},
        // A "%" without two hex digits behind it stays, and decoding goes on
        // right after it.
        CodecCase{"lone_percent", "%", "%"}, CodecCase{"percent_one_digit", "%4", "%4"},
        CodecCase{"percent_at_end", "ab%", "ab%"}, CodecCase{"percent_non_hex", "%zz", "%zz"},
        CodecCase{"percent_half_hex", "%4G", "%4G"}, CodecCase{"percent_percent", "%%41", "%A"},
        CodecCase{"percent_then_escape", "%%%41%", "%%A%"},
        // Decoded bytes that are not UTF-8 become U+FFFD.
        CodecCase{"truncated_sequence", "%E9%A1", fffd},
        CodecCase{"truncated_then_ascii", "%E9%A1x", fffd + "x"},
        CodecCase{"lone_continuation", "%80", fffd},
        CodecCase{"raw_lone_continuation", "a\x80z", "a" + fffd + "z"},
        CodecCase{"invalid_byte", "%FF", fffd}, CodecCase{"overlong", "%C0%AF", fffd + fffd},
        CodecCase{"surrogate", "%ED%A0%80", fffd + fffd + fffd},
        CodecCase{"above_max", "%F4%90%80%80", fffd + fffd + fffd + fffd},
        CodecCase{"gbk_bytes", "%B0%E6", fffd + fffd}),
    case_name);

TEST(UrlCodec, RoundTripsUtf8) {
    for (const std::string& s :
         {std::string("tag"), ye, banben + " a/b?c=d&e", std::string("\xF0\x9F\x98\x80")})
        EXPECT_EQ(url_decode_utf8(url_encode_utf8(s)), s) << s;
}

struct ValidCase {
    const char* name;
    std::string bytes;
    bool valid;
    friend void PrintTo(const ValidCase& c, std::ostream* os) { *os << c.name; }
};

class ValidUtf8 : public ::testing::TestWithParam<ValidCase> {};

TEST_P(ValidUtf8, Checks) {
    EXPECT_EQ(is_valid_utf8(GetParam().bytes), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidUtf8,
    ::testing::Values(
        ValidCase{"empty", "", true}, ValidCase{"ascii", "abc", true},
        ValidCase{"chinese", banben + ye, true}, ValidCase{"two_byte", "\xC3\xA9", true},
        ValidCase{"four_byte", "\xF0\x9F\x98\x80", true},
        ValidCase{"max", "\xF4\x8F\xBF\xBF", true},
        ValidCase{"last_before_surrogates", "\xED\x9F\xBF", true},
        ValidCase{"lone_continuation", "\x80", false}, ValidCase{"truncated", "\xE9\xA1", false},
        ValidCase{"truncated_four", "\xF0\x9F\x98", false},
        ValidCase{"overlong_two", "\xC0\xAF", false}, ValidCase{"overlong_c1", "\xC1\xBF", false},
        ValidCase{"overlong_three", "\xE0\x80\xAF", false},
        ValidCase{"overlong_four", "\xF0\x80\x80\xAF", false},
        ValidCase{"surrogate", "\xED\xA0\x80", false},
        ValidCase{"above_max", "\xF4\x90\x80\x80", false},
        ValidCase{"f5", "\xF5\x80\x80\x80", false}, ValidCase{"ff", "\xFF", false},
        ValidCase{"gbk", banben_gbk, false},
        ValidCase{"missing_continuation",
                  "\xE9"
                  "a\xB5",
                  false}),
    case_name);

class GbkToUtf8 : public ::testing::TestWithParam<CodecCase> {};

TEST_P(GbkToUtf8, Converts) {
    const std::string out = gbk_to_utf8(GetParam().in);
    EXPECT_EQ(out, GetParam().out);
    EXPECT_TRUE(is_valid_utf8(out));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GbkToUtf8,
    ::testing::Values(
        CodecCase{"version", banben_gbk + "[1.4]", banben + "[1.4]"},
        CodecCase{"notice", banben_gbk + "[1.4]\r\n\xB5\xD8\xD6\xB7[http://127.0.0.1:8480/d]",
                  banben + "[1.4]\r\n\xE5\x9C\xB0\xE5\x9D\x80[http://127.0.0.1:8480/d]"},
        CodecCase{"ye", banben_gbk + ye_gbk, banben + ye},
        // Bytes that already read as UTF-8 are taken as UTF-8, even the rare
        // GBK text that happens to (页 alone is D2 B3, which is U+04B3).
        CodecCase{"valid_utf8_wins", ye_gbk, ye_gbk},
        CodecCase{"already_utf8", banben + "[1.4]", banben + "[1.4]"},
        CodecCase{"ascii", "[1.3]", "[1.3]"}, CodecCase{"empty", "", ""},
        // Bad bytes become U+FFFD and the rest still converts.
        CodecCase{"invalid_byte_inside", "\xB0\xE6\xFF\xB1\xBE",
                  "\xE7\x89\x88" + fffd + "\xE6\x9C\xAC"},
        CodecCase{"bad_trail", "\xB0\x30[1]", fffd + "0[1]"},
        CodecCase{"truncated_at_end", "\xB0\xE6\xB1", "\xE7\x89\x88" + fffd}),
    case_name);

class Utf8ToGbk : public ::testing::TestWithParam<CodecCase> {};

TEST_P(Utf8ToGbk, Converts) {
    EXPECT_EQ(utf8_to_gbk(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8ToGbk,
    ::testing::Values(CodecCase{"version", banben + "[1.4]", banben_gbk + "[1.4]"},
                      CodecCase{"ye", ye, ye_gbk}, CodecCase{"ascii", "abc", "abc"},
                      CodecCase{"empty", "", ""},
                      // Characters GBK lacks, and bytes that are not UTF-8, become "?".
                      CodecCase{"emoji",
                                "a\xF0\x9F\x98\x80"
                                "b",
                                "a?b"},
                      CodecCase{"invalid_utf8",
                                "a\xFF"
                                "b",
                                "a?b"},
                      CodecCase{"truncated_at_end", "a\xE9\xA1", "a?"},
                      CodecCase{"precomposed", "\xC3\xA9", "\xA8\xA6"},
                      // A letter and a combining mark fold into the letter GBK has.
                      CodecCase{"decomposed_e_acute", "e\xCC\x81", "\xA8\xA6"},
                      CodecCase{"decomposed_u_diaeresis_macron", "u\xCC\x88\xCC\x84", "\xA8\xB5"},
                      CodecCase{"mark_without_letter_form", "x\xCC\x81", "x?"}),
    case_name);

TEST(GbkRoundTrip, ChineseSurvives) {
    const std::string text = banben + "[1.4]" + ye + "\xE4\xB8\xAD\xE6\x96\x87";
    EXPECT_EQ(gbk_to_utf8(utf8_to_gbk(text)), text);
}

} // namespace
} // namespace lumikko
