#include "browse/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace lumikko {
namespace {

// Bytes of a few characters, spelled out so the tests do not depend on how the
// source file is read.
const std::string zhong = "\xE4\xB8\xAD"; // 中
const std::string ye = "\xE9\xA1\xB5";    // 页
const std::string smile = "\xF0\x9F\x98\x80";

struct FindCase {
    const char* name;
    std::string text;
    std::string needle;
    int start;
    bool ignore_case;
    int expected;
    friend void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }
};

class TextFind : public ::testing::TestWithParam<FindCase> {};

TEST_P(TextFind, FindsAtCharacterStarts) {
    const FindCase& c = GetParam();
    EXPECT_EQ(text_find(c.text, c.needle, c.start, c.ignore_case), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextFind,
    ::testing::Values(
        FindCase{"first", "abcabc", "bc", 1, false, 2},
        FindCase{"from_start", "abcabc", "bc", 3, false, 5},
        FindCase{"start_on_match", "abcabc", "bc", 5, false, 5},
        FindCase{"start_below_one", "abcabc", "a", -7, false, 1},
        FindCase{"start_zero", "abcabc", "a", 0, false, 1},
        FindCase{"start_past_end", "abc", "c", 4, false, -1},
        FindCase{"start_far_past_end", "abc", "c", 1000, false, -1},
        FindCase{"missing", "abc", "d", 1, false, -1},
        FindCase{"empty_needle", "abc", "", 1, false, -1},
        FindCase{"empty_text", "", "a", 1, false, -1},
        FindCase{"needle_longer", "ab", "abc", 1, false, -1},
        FindCase{"case_sensitive", "xABx", "ab", 1, false, -1},
        FindCase{"ignore_case", "xABx", "ab", 1, true, 2},
        FindCase{"ignore_case_mixed", "<DiV class", "<div CLASS", 1, true, 1},
        FindCase{"ignore_case_later_upper", "a-a-A-b", "a-b", 1, true, 5},
        FindCase{"ignore_case_non_letter_first", "x[Ab]", "[aB]", 1, true, 2},
        FindCase{"ignore_case_no_fold_of_punct", "x@", "`", 1, true, -1},
        // Only ASCII folds: Ä (C3 84) and ä (C3 A4) stay different.
        FindCase{"non_ascii_does_not_fold", "\xC3\x84", "\xC3\xA4", 1, true, -1},
        // A double quote right after a three-byte character is found.
        FindCase{"quote_after_zhong", zhong + "\"", "\"", 1, false, 4},
        FindCase{"marker_after_chinese", zhong + ye + "<a href=", "<a", 1, false, 7},
        FindCase{"chinese_needle", "ab" + zhong + ye + zhong, ye, 1, false, 6},
        FindCase{"chinese_needle_ignore_case", "AB" + ye, "ab" + ye, 1, true, 1},
        FindCase{"four_byte_character", smile + "x", "x", 1, false, 5},
        // No match may begin inside a character.
        FindCase{"not_inside_character", zhong, "\xB8\xAD", 1, false, -1},
        FindCase{"not_inside_character_ic", zhong, "\xB8\xAD", 1, true, -1},
        FindCase{"not_inside_four_byte", smile, "\x98\x80", 1, false, -1},
        // The walk begins where it is told, even inside a character.
        FindCase{"walk_begins_at_start", zhong, "\xB8\xAD", 2, false, 2},
        FindCase{"walk_from_inside_char", zhong + zhong, "\xAD", 3, false, 3},
        FindCase{"walk_steps_bytewise_from_inside", zhong + zhong, "\xAD", 2, false, 3},
        FindCase{"walk_resyncs_after_start", zhong + zhong, "\xB8", 3, false, -1},
        // Bytes that are not a valid sequence count one by one.
        FindCase{"lone_continuation", "a\xB8\xAD", "\xAD", 1, false, 3},
        FindCase{"truncated_sequence", "\xE4\xB8\"", "\"", 1, false, 3},
        FindCase{"truncated_then_cont",
                 "\xE4\xB8"
                 "a\xAD",
                 "\xAD", 1, false, 4},
        FindCase{"overlong_not_a_character", "\xC0\xAF", "\xAF", 1, false, 2},
        FindCase{"surrogate_not_a_character", "\xED\xA0\x80", "\xA0\x80", 1, false, 2},
        FindCase{"beyond_max_not_a_character", "\xF4\x90\x80\x80", "\x90", 1, false, 2},
        FindCase{"invalid_lead_at_end", "ab\xE4", "\xE4", 1, false, 3}),
    [](const auto& info) { return std::string(info.param.name); });

// A plain character walker to hold the search against: decode a code point at
// every stop, step over it when it is well-formed, else step one byte.
std::size_t reference_step(const std::string& t, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(t[k]); };
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (b(i) < 0x80)
        return 1;
    if (b(i) >= 0xC0 && b(i) < 0xE0) {
        len = 2;
        cp = b(i) & 0x1F;
    } else if (b(i) >= 0xE0 && b(i) < 0xF0) {
        len = 3;
        cp = b(i) & 0x0F;
    } else if (b(i) >= 0xF0 && b(i) < 0xF8) {
        len = 4;
        cp = b(i) & 0x07;
    } else {
        return 1;
    }
    if (i + len > t.size())
        return 1;
    for (std::size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return 1;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 1;
    return len;
}

int reference_find(const std::string& t, const std::string& n, int start, bool ignore_case) {
    const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    if (n.empty())
        return -1;
    for (std::size_t i = start < 1 ? 0 : std::size_t(start - 1); i < t.size();
         i += reference_step(t, i)) {
        if (t.size() - i < n.size())
            return -1;
        bool same = true;
        for (std::size_t k = 0; k < n.size() && same; ++k)
            same = ignore_case ? fold(t[i + k]) == fold(n[k]) : t[i + k] == n[k];
        if (same)
            return static_cast<int>(i + 1);
    }
    return -1;
}

TEST(TextFind, AgreesWithPlainWalkOnMixedBytes) {
    // Letters of both cases, a quote, pieces of valid and broken sequences.
    const std::string alphabet = "aA\"\xE4\xB8\xAD\xC3\xA9\xF0\x9F\x98\x80\xED\xA0\xFF\xC0\xF4\x90";
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    const auto random_text = [&](std::size_t len) {
        std::string s;
        for (std::size_t k = 0; k < len; ++k)
            s += alphabet[pick(rng)];
        return s;
    };
    int found = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string text = random_text(rng() % 24);
        const std::string needle = random_text(1 + rng() % 3);
        const int start = static_cast<int>(rng() % (text.size() + 3)) - 1;
        const bool ignore_case = rng() % 2 == 1;
        const int expected = reference_find(text, needle, start, ignore_case);
        found += expected > 0;
        ASSERT_EQ(text_find(text, needle, start, ignore_case), expected)
            << ::testing::PrintToString(text) << " / " << ::testing::PrintToString(needle)
            << " from " << start << (ignore_case ? " ignoring case" : "");
    }
    EXPECT_GT(found, 200); // the table must exercise hits, not only misses
}

TEST(TextSlices, MidLeftRight) {
    EXPECT_EQ(text_mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(text_mid("abcdef", 5, 10), "ef");
    EXPECT_EQ(text_mid("abcdef", 6, 1), "f");
    EXPECT_EQ(text_mid("abcdef", 7, 1), "");
    EXPECT_EQ(text_mid("abcdef", 0, 3), "");
    EXPECT_EQ(text_mid("abcdef", -2, 3), "");
    EXPECT_EQ(text_mid("abcdef", 2, 0), "");
    EXPECT_EQ(text_mid("abcdef", 2, -1), "");
    EXPECT_EQ(text_mid("abcdef", 1, 2147483647), "abcdef");
    EXPECT_EQ(text_mid("", 1, 1), "");
    // Slices count bytes, so they may cut a character.
    EXPECT_EQ(text_mid(zhong, 2, 1), "\xB8");

    EXPECT_EQ(text_left("abc", 2), "ab");
    EXPECT_EQ(text_left("abc", 5), "abc");
    EXPECT_EQ(text_left("abc", 0), "");
    EXPECT_EQ(text_left("abc", -1), "");

    EXPECT_EQ(text_right("abc", 2), "bc");
    EXPECT_EQ(text_right("abc", 5), "abc");
    EXPECT_EQ(text_right("abc", 0), "");
    EXPECT_EQ(text_right("abc", -3), "");
}

struct ReplaceCase {
    const char* name;
    std::string text, what, with, expected;
    friend void PrintTo(const ReplaceCase& c, std::ostream* os) { *os << c.name; }
};

class TextReplace : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(TextReplace, ReplacesEveryOccurrence) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(text_replace_all(c.text, c.what, c.with), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextReplace,
    ::testing::Values(ReplaceCase{"simple", "a-b-c", "-", "+", "a+b+c"},
                      ReplaceCase{"no_overlap", "aaaa", "aa", "b", "bb"},
                      ReplaceCase{"odd_no_overlap", "aaa", "aa", "b", "ba"},
                      ReplaceCase{"with_contains_what", "ab", "a", "aa", "aab"},
                      ReplaceCase{"delete", "a, b, c", ", ", "", "abc"},
                      ReplaceCase{"case_sensitive", "Aa", "a", "x", "Ax"},
                      ReplaceCase{"empty_what", "abc", "", "x", "abc"},
                      ReplaceCase{"empty_text", "", "a", "x", ""},
                      ReplaceCase{"quote_word", "a=#引号v#引号", "#引号", "\"", "a=\"v\""},
                      ReplaceCase{"after_chinese", zhong + "\"" + zhong + "\"", "\"", "'",
                                  zhong + "'" + zhong + "'"},
                      ReplaceCase{"not_inside_character", zhong + "\xB8", "\xB8", "x",
                                  zhong + "x"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SplitCase {
    const char* name;
    std::string text, sep;
    std::vector<std::string> expected;
    friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }
};

class TextSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(TextSplit, KeepsLeadingAndInnerEmptyPieces) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(text_split(c.text, c.sep), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextSplit,
    ::testing::Values(SplitCase{"crlf_trailing", "a\r\nb\r\n", "\r\n", {"a", "b"}},
                      SplitCase{"crlf_leading", "\r\na", "\r\n", {"", "a"}},
                      SplitCase{"empty_text", "", "\r\n", {}},
                      SplitCase{"no_separator", "abc", ",", {"abc"}},
                      SplitCase{"empty_separator", "abc", "", {"abc"}},
                      SplitCase{"adjacent", "a,,b", ",", {"a", "", "b"}},
                      SplitCase{"only_separator", ",", ",", {""}},
                      SplitCase{"two_separators", ",,", ",", {"", ""}},
                      SplitCase{"trailing_kept_when_not_empty", "a,b", ",", {"a", "b"}},
                      SplitCase{"walks_on_behind_separator", "aaa", "aa", {"", "a"}},
                      SplitCase{"chinese", zhong + "|" + ye + "|", "|", {zhong, ye}},
                      SplitCase{"chinese_separator", "a" + ye + "b" + ye, ye, {"a", "b"}},
                      SplitCase{"not_inside_character", zhong + ye, "\xAD", {zhong + ye}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BodyToText, StopsAtFirstZeroByte) {
    EXPECT_EQ(body_to_text(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(body_to_text(std::string("\0ab", 3)), "");
    EXPECT_EQ(body_to_text("abc"), "abc");
    EXPECT_EQ(body_to_text(""), "");
}

struct BetweenCase {
    const char* name;
    std::string text, start_marker, end_marker;
    int start;
    bool case_sensitive;
    std::string expected;
    friend void PrintTo(const BetweenCase& c, std::ostream* os) { *os << c.name; }
};

class TextBetween : public ::testing::TestWithParam<BetweenCase> {};

TEST_P(TextBetween, CutsBetweenMarkers) {
    const BetweenCase& c = GetParam();
    EXPECT_EQ(text_between(c.text, c.start_marker, c.end_marker, c.start, c.case_sensitive),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetween,
    ::testing::Values(
        BetweenCase{"ignores_case", "AB<x>1</x>", "<X>", "</X>", 1, false, "1"},
        BetweenCase{"start_missing", "AB<x>1</x>", "<y>", "</X>", 1, false, ""},
        BetweenCase{"end_missing", "AB<x>1</x>", "<X>", "</y>", 1, false, ""},
        BetweenCase{"case_sensitive_misses", "AB<x>1</x>", "<X>", "</x>", 1, true, ""},
        BetweenCase{"case_sensitive_hits", "AB<x>1</x>", "<x>", "</x>", 1, true, "1"},
        BetweenCase{"start_marker_at_end", "abc<x>", "<x>", "<", 1, false, ""},
        BetweenCase{"quote_word_end", "a=\"v\"", "a=\"", "#引号", 1, false, "v"},
        BetweenCase{"quote_word_both", "a=\"v\"", "a=#引号", "#引号", 1, false, "v"},
        BetweenCase{"empty_between", "<x></x>", "<x>", "</x>", 1, false, ""},
        BetweenCase{"first_start_next_end", "<x>1</x><x>2</x>", "<x>", "</x>", 1, false, "1"},
        BetweenCase{"empty_start_marker", "abc", "", "c", 1, false, ""},
        BetweenCase{"empty_end_marker", "abc", "a", "", 1, false, ""},
        // The start position applies to both searches, the second counted
        // within the text behind the start marker.
        BetweenCase{"start_skips_first", "<x>1</x><x>2</x>", "<x>", "</x>", 2, false, "2"},
        BetweenCase{"start_within_rest", "<x><x>ab</x>c</x>", "<x>", "</x>", 4, false, "ab</x>c"},
        BetweenCase{"start_within_rest_past_end", "<x><x>ab</x>", "<x>", "</x>", 4, false, ""},
        BetweenCase{"start_below_one", "<x>1</x>", "<x>", "</x>", -3, false, "1"},
        BetweenCase{"marker_after_chinese", zhong + "<a href=\"1\">" + ye, "href=#引号", "#引号", 1,
                    false, "1"},
        BetweenCase{"chinese_markers", "x" + zhong + "v" + ye, zhong, ye, 1, false, "v"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextBetween, LeavesCallerMarkersAlone) {
    const std::string open = "a=#引号";
    const std::string close = "#引号";
    EXPECT_EQ(text_between("a=\"v\"", open, close), "v");
    EXPECT_EQ(open, "a=#引号");
    EXPECT_EQ(close, "#引号");
}

struct ExtractCase {
    const char* name;
    std::string text, start_marker, end_marker;
    int mode;
    int keep_whole;
    std::string expected;
    friend void PrintTo(const ExtractCase& c, std::ostream* os) { *os << c.name; }
};

class ExtractSingle : public ::testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractSingle, AfterBeforeBetween) {
    const ExtractCase& c = GetParam();
    TextArray pieces{"untouched"};
    EXPECT_EQ(extract_text(c.text, c.start_marker, c.end_marker, c.mode, &pieces, c.keep_whole),
              c.expected);
    EXPECT_EQ(pieces, TextArray{"untouched"}) << "pieces are filled only in mode 1";
}

const std::string xx = "xx<a>1<b>yy<a>2<b>";

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtractSingle,
    ::testing::Values(ExtractCase{"between", xx, "<a>", "<b>", 0, 0, "1"},
                      ExtractCase{"between_case_sensitive", xx, "<A>", "<b>", 0, 0, ""},
                      ExtractCase{"between_missing_keep_whole", xx, "<A>", "<b>", 0, 1, xx},
                      ExtractCase{"keep_whole_only_when_one", xx, "<A>", "<b>", 0, 2, ""},
                      ExtractCase{"keep_whole_negative", xx, "<A>", "<b>", 0, -1, ""},
                      ExtractCase{"end_not_after_start", "<b>x<a>y", "<a>", "<b>", 0, 0, ""},
                      ExtractCase{"end_not_after_start_keep", "<b>x<a>y", "<a>", "<b>", 0, 1, ""},
                      ExtractCase{"end_right_after_start", "<a><b>", "<a>", "<b>", 0, 0, ""},
                      ExtractCase{"end_right_after_start_keep", "<a><b>", "<a>", "<b>", 0, 1, ""},
                      ExtractCase{"after", "k=v=w", "=", "", 0, 0, "v=w"},
                      ExtractCase{"after_at_end", "k=", "=", "", 0, 0, ""},
                      ExtractCase{"after_missing", "kvw", "=", "", 0, 0, ""},
                      ExtractCase{"after_missing_keep", "kvw", "=", "", 0, 1, "kvw"},
                      ExtractCase{"after_case_sensitive", "k=V", "v", "", 0, 1, "k=V"},
                      ExtractCase{"before", "k=v=w", "", "=", 0, 0, "k"},
                      ExtractCase{"before_at_start", "=v", "", "=", 0, 0, ""},
                      ExtractCase{"before_missing_keep", "kvw", "", "=", 0, 1, "kvw"},
                      ExtractCase{"both_empty", "kvw", "", "", 0, 0, ""},
                      ExtractCase{"both_empty_keep", "kvw", "", "", 0, 1, "kvw"},
                      ExtractCase{"other_mode_is_single", xx, "<a>", "<b>", 7, 0, "1"},
                      ExtractCase{"negative_mode_is_single", xx, "<a>", "<b>", -1, 0, "1"},
                      ExtractCase{"chinese", zhong + "\"" + ye + "\"", "\"", "\"", 0, 0, ye}),
    [](const auto& info) { return std::string(info.param.name); });

struct EveryCase {
    const char* name;
    std::string text, start_marker, end_marker;
    int keep_whole;
    std::string expected;
    TextArray expected_pieces;
    friend void PrintTo(const EveryCase& c, std::ostream* os) { *os << c.name; }
};

class ExtractEvery : public ::testing::TestWithParam<EveryCase> {};

TEST_P(ExtractEvery, FillsPieces) {
    const EveryCase& c = GetParam();
    TextArray pieces{"stale"};
    EXPECT_EQ(extract_text(c.text, c.start_marker, c.end_marker, 1, &pieces, c.keep_whole),
              c.expected);
    EXPECT_EQ(pieces, c.expected_pieces);
    // Without a pieces array the result is the same.
    EXPECT_EQ(extract_text(c.text, c.start_marker, c.end_marker, 1, nullptr, c.keep_whole),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtractEvery,
    ::testing::Values(
        EveryCase{"brackets", "[1][2]", "[", "]", 0, "1", {"1", "2"}},
        EveryCase{"no_start", "1]2]", "[", "]", 0, "", {}},
        EveryCase{"no_start_keep", "1]2]", "[", "]", 1, "1]2]", {}},
        EveryCase{"start_ignores_case", "<A>1</a><a>2</a>", "<a>", "</a>", 0, "1", {"1", "2"}},
        EveryCase{"end_is_case_sensitive", "<a>1</A>", "<a>", "</a>", 0, "", {""}},
        EveryCase{"end_missing_keep", "<a>1", "<a>", "</a>", 1, "<a>1", {""}},
        EveryCase{"first_piece_empty", "[][2]", "[", "]", 0, "", {"", "2"}},
        EveryCase{"first_piece_empty_keep", "[][2]", "[", "]", 1, "[][2]", {"", "2"}},
        // Start markers may overlap, and several may share an end marker.
        EveryCase{"overlapping_starts", "aaa1b", "aa", "b", 0, "a1", {"a1", "1"}},
        EveryCase{"shared_end", "[[x]", "[", "]", 0, "[x", {"[x", "x"}},
        EveryCase{"end_before_next_start", "[1]2[3", "[", "]", 0, "1", {"1", ""}},
        // The end marker is searched from the start marker's own position, so it
        // may lie inside the start marker; the piece is then empty.
        EveryCase{"end_inside_start", "ab-x-", "ab", "b", 0, "", {""}},
        EveryCase{"end_inside_start_later", "abab", "ab", "b", 0, "", {"", ""}},
        EveryCase{"chinese", zhong + "[" + ye + "]" + zhong + "[x]", "[", "]", 0, ye, {ye, "x"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExtractEvery, EmptyMarkerLeavesPiecesUntouched) {
    TextArray pieces{"keep"};
    EXPECT_EQ(extract_text("[1]", "", "]", 1, &pieces), "");
    EXPECT_EQ(extract_text("[1]", "[", "", 1, &pieces), "");
    EXPECT_EQ(extract_text("[1]", "[", "", 1, &pieces, 1), "[1]");
    EXPECT_EQ(pieces, TextArray{"keep"});
}

TEST(ExtractEvery, ManyStartsWithoutEnd) {
    // Every start marker gets its own (empty) piece; the missing end marker is
    // looked for once, not once per start marker.
    const std::string text(20000, '<');
    TextArray pieces;
    EXPECT_EQ(extract_text(text, "<", ">", 1, &pieces), "");
    EXPECT_EQ(pieces.size(), text.size());
}

struct CountCase {
    const char* name;
    std::string text, pattern;
    int expected;
    friend void PrintTo(const CountCase& c, std::ostream* os) { *os << c.name; }
};

class CountOccurrences : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountOccurrences, CountsBytePositions) {
    const CountCase& c = GetParam();
    EXPECT_EQ(count_occurrences(c.text, c.pattern), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CountOccurrences,
    ::testing::Values(CountCase{"overlapping", "aaaa", "aa", 3},
                      CountCase{"longer_pattern", "a", "ab", 0}, CountCase{"none", "abc", "d", 0},
                      CountCase{"empty_pattern", "abc", "", 0}, CountCase{"empty_text", "", "a", 0},
                      CountCase{"whole", "abc", "abc", 1},
                      CountCase{"ye_markers", "1" + ye + "2" + ye + "3" + ye, ye, 3},
                      // Bytes, not characters: inside a character counts too.
                      CountCase{"inside_character", zhong + zhong, "\xB8\xAD", 2}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace lumikko
