#pragma once
// Text primitives and the extraction routines every scraping step relies on.
//
// Text is UTF-8 in a std::string without zero bytes. Positions are 1-based byte
// positions, a search that finds nothing gives -1, lengths are in bytes. The
// search (and split and replace on top of it) walks the text one UTF-8 character
// at a time and tries a match only where a character begins; a byte that does
// not start a valid sequence counts as a character of its own. Slices and
// count_occurrences work on bytes.

#include <string>
#include <string_view>
#include <vector>

namespace lumikko {

using Text = std::string;
// A counted byte buffer that may hold zero bytes: bodies and pictures.
using Bytes = std::string;
using TextArray = std::vector<Text>;

// The UTF-8 character at byte i (0-based): the length of the well-formed
// sequence there (valid set), or else of the longest start of one (at least 1),
// which counts as a single bad character. Overlong forms, surrogates and code
// points above U+10FFFF are not well formed.
std::size_t utf8_unit(std::string_view text, std::size_t i, bool& valid);

// Position of the first occurrence of `needle` that begins at or after `start`,
// or -1. A start below 1 counts as 1; a start beyond the end finds nothing.
// With ignore_case only ASCII letters fold. An empty needle finds nothing.
int text_find(std::string_view text, std::string_view needle, int start = 1,
              bool ignore_case = false);

Text text_mid(std::string_view text, int start, int count);
Text text_left(std::string_view text, int count);
Text text_right(std::string_view text, int count);

// Replaces every occurrence, left to right, never overlapping; the text comes
// back unchanged when it or `what` is empty.
Text text_replace_all(std::string_view text, std::string_view what, std::string_view with);

// Pieces between separators. An empty text gives no pieces; a leading piece and
// pieces between adjacent separators are kept even when empty; a trailing piece
// only when it is not empty.
TextArray text_split(std::string_view text, std::string_view sep);

// A downloaded body as text: the bytes up to the first zero byte.
Text body_to_text(std::string_view body);

// The text between the start marker and the next end marker after it, both
// searched ignoring ASCII case unless case_sensitive. "#引号" in either marker
// stands for a double quote. Empty when a marker is missing.
Text text_between(std::string_view text, std::string_view start_marker, std::string_view end_marker,
                  int start = 1, bool case_sensitive = false);

// mode 1: every occurrence, pieces filled; any other mode: after (end marker
// empty), before (start marker empty) or between. keep_whole == 1 gives the whole
// text instead of the empty text when a marker is missing.
Text extract_text(std::string_view text, std::string_view start_marker, std::string_view end_marker,
                  int mode = 0, TextArray* pieces = nullptr, int keep_whole = 0);

// Number of byte positions at which `pattern` occurs (overlaps count).
int count_occurrences(std::string_view text, std::string_view pattern);

} // namespace lumikko
