#include "browse/text.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace lumikko {

std::size_t utf8_unit(std::string_view t, std::size_t i, bool& valid) {
    const unsigned char b0 = static_cast<unsigned char>(t[i]);
    valid = true;
    if (b0 < 0x80)
        return 1;
    std::size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        if (b0 == 0xE0)
            lo = 0xA0;
        else if (b0 == 0xED)
            hi = 0x9F; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F; // nothing above U+10FFFF
    } else {
        valid = false;
        return 1;
    }
    std::size_t k = 1;
    for (; k < len && i + k < t.size(); ++k) {
        const unsigned char b = static_cast<unsigned char>(t[i + k]);
        if (k == 1 ? (b < lo || b > hi) : (b & 0xC0) != 0x80)
            break;
    }
    valid = k == len;
    return k;
}

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool is_continuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

unsigned char fold(unsigned char b) {
    return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}

bool is_ascii_letter(unsigned char b) {
    return fold(b) >= 'a' && fold(b) <= 'z';
}

// Length of the well-formed UTF-8 sequence at `i`, or 0 when the bytes there are
// not one.
std::size_t sequence_length(std::string_view t, std::size_t i) {
    bool valid = false;
    const std::size_t n = utf8_unit(t, i, valid);
    return valid ? n : 0;
}

// Whether the character walk that begins at `from` stops at `x`. Only a byte
// inside a well-formed sequence that begins earlier in the walk is stepped over,
// and such a sequence begins at most three bytes back.
bool walk_stops_at(std::string_view t, std::size_t from, std::size_t x) {
    const std::size_t lowest = x - from > 3 ? x - 3 : from;
    for (std::size_t q = x; q > lowest;) {
        --q;
        if (!is_continuation(static_cast<unsigned char>(t[q])))
            return sequence_length(t, q) <= x - q;
    }
    return true;
}

bool equal_ignoring_case(const char* a, const char* b, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k)
        if (fold(static_cast<unsigned char>(a[k])) != fold(static_cast<unsigned char>(b[k])))
            return false;
    return true;
}

// First byte position >= from where the needle matches, ASCII letters folded.
std::size_t find_bytes_ignoring_case(std::string_view t, std::string_view n, std::size_t from) {
    const std::size_t last = t.size() - n.size(); // caller made sure n fits
    const unsigned char first = static_cast<unsigned char>(n[0]);
    auto matches_at = [&](std::size_t x) {
        return equal_ignoring_case(t.data() + x + 1, n.data() + 1, n.size() - 1);
    };
    if (!is_ascii_letter(first)) {
        for (std::size_t x = t.find(static_cast<char>(first), from); x != npos && x <= last;
             x = t.find(static_cast<char>(first), x + 1))
            if (matches_at(x))
                return x;
        return npos;
    }
    // Two memchr streams, one per case of the first letter, merged in order.
    const char lower = static_cast<char>(fold(first));
    const char upper = static_cast<char>(lower - ('a' - 'A'));
    std::size_t next_lower = t.find(lower, from);
    std::size_t next_upper = t.find(upper, from);
    while (true) {
        const std::size_t x = std::min(next_lower, next_upper);
        if (x == npos || x > last)
            return npos;
        if (matches_at(x))
            return x;
        if (x == next_lower)
            next_lower = t.find(lower, x + 1);
        else
            next_upper = t.find(upper, x + 1);
    }
}

// 0-based search with the character walk beginning at `from`.
std::size_t find_walking(std::string_view t, std::string_view n, std::size_t from,
                         bool ignore_case) {
    if (n.empty() || from >= t.size() || n.size() > t.size() - from)
        return npos;
    // A needle that begins with a lead or ASCII byte can only match where a
    // character begins, so a plain byte search already follows the walk.
    const bool check_walk = is_continuation(static_cast<unsigned char>(n[0]));
    for (std::size_t x = from;; ++x) {
        x = ignore_case ? find_bytes_ignoring_case(t, n, x) : t.find(n, x);
        if (x == npos || !check_walk || walk_stops_at(t, from, x))
            return x;
    }
}

int to_position(std::size_t index) {
    return index == npos || index >= static_cast<std::size_t>(INT_MAX)
               ? -1
               : static_cast<int>(index + 1);
}

std::size_t to_index(int start) {
    return start < 1 ? 0 : static_cast<std::size_t>(start - 1);
}

Text whole_or_empty(std::string_view text, int keep_whole) {
    return keep_whole == 1 ? Text(text) : Text();
}

} // namespace

int text_find(std::string_view text, std::string_view needle, int start, bool ignore_case) {
    return to_position(find_walking(text, needle, to_index(start), ignore_case));
}

Text text_mid(std::string_view text, int start, int count) {
    if (start < 1 || count <= 0 || static_cast<std::size_t>(start) > text.size())
        return {};
    return Text(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count)));
}

Text text_left(std::string_view text, int count) {
    if (count <= 0)
        return {};
    return Text(text.substr(0, static_cast<std::size_t>(count)));
}

Text text_right(std::string_view text, int count) {
    if (count <= 0)
        return {};
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(count));
    return Text(text.substr(text.size() - n));
}

Text text_replace_all(std::string_view text, std::string_view what, std::string_view with) {
    if (text.empty() || what.empty())
        return Text(text);
    Text out;
    std::size_t done = 0;
    for (std::size_t x = find_walking(text, what, 0, false); x != npos;
         x = find_walking(text, what, done, false)) {
        out.append(text.substr(done, x - done)).append(with);
        done = x + what.size();
    }
    out.append(text.substr(done));
    return out;
}

TextArray text_split(std::string_view text, std::string_view sep) {
    TextArray pieces;
    if (text.empty())
        return pieces;
    std::size_t done = 0;
    for (std::size_t x = find_walking(text, sep, 0, false); x != npos;
         x = find_walking(text, sep, done, false)) {
        pieces.emplace_back(text.substr(done, x - done));
        done = x + sep.size();
    }
    if (done < text.size())
        pieces.emplace_back(text.substr(done));
    return pieces;
}

Text body_to_text(std::string_view body) {
    return Text(body.substr(0, body.find('\0')));
}

Text text_between(std::string_view text, std::string_view start_marker, std::string_view end_marker,
                  int start, bool case_sensitive) {
    static constexpr std::string_view quote_word = "#引号";
    const Text open = text_replace_all(start_marker, quote_word, "\"");
    const Text close = text_replace_all(end_marker, quote_word, "\"");
    const bool ignore_case = !case_sensitive;
    const std::size_t from = to_index(start);

    const std::size_t p = find_walking(text, open, from, ignore_case);
    if (p == npos)
        return {};
    const std::string_view rest = text.substr(p + open.size());
    // The end marker is looked for from the same start position, counted within the rest.
    const std::size_t q = find_walking(rest, close, from, ignore_case);
    if (q == npos)
        return {};
    return Text(rest.substr(0, q));
}

Text extract_text(std::string_view text, std::string_view start_marker, std::string_view end_marker,
                  int mode, TextArray* pieces, int keep_whole) {
    if (mode != 1) {
        if (end_marker.empty()) {
            const std::size_t p = find_walking(text, start_marker, 0, false);
            if (p == npos)
                return whole_or_empty(text, keep_whole);
            return Text(text.substr(p + start_marker.size()));
        }
        if (start_marker.empty()) {
            const std::size_t p = find_walking(text, end_marker, 0, false);
            if (p == npos)
                return whole_or_empty(text, keep_whole);
            return Text(text.substr(0, p));
        }
        const std::size_t p = find_walking(text, start_marker, 0, false);
        if (p == npos)
            return whole_or_empty(text, keep_whole);
        const std::string_view rest = text.substr(p + start_marker.size());
        const std::size_t q = find_walking(rest, end_marker, 0, false);
        if (q == npos)
            return {};
        return Text(rest.substr(0, q));
    }

    if (start_marker.empty() || end_marker.empty())
        return whole_or_empty(text, keep_whole);
    if (pieces)
        pieces->clear();

    // Without a pieces array only the first piece is wanted.
    Text first;
    bool any = false;
    // Start markers may overlap, so many of them can share one end marker; an
    // end marker that begins a character finds the same occurrence from any of
    // them, and then its earlier result is reused rather than searched again.
    const bool reuse_end = !is_continuation(static_cast<unsigned char>(end_marker[0]));
    std::size_t q = npos;
    bool have_q = false;
    for (std::size_t p = find_walking(text, start_marker, 0, true); p != npos;
         p = find_walking(text, start_marker, p + 1, true)) {
        if (!(reuse_end && have_q && (q == npos || q >= p))) {
            q = find_walking(text, end_marker, p, false);
            have_q = true;
        }
        const std::size_t body = p + start_marker.size();
        Text piece = (q != npos && q > body) ? Text(text.substr(body, q - body)) : Text();
        if (!any) {
            first = piece;
            any = true;
        }
        if (!pieces)
            break;
        pieces->push_back(std::move(piece));
    }
    if (any && !first.empty())
        return first;
    return whole_or_empty(text, keep_whole);
}

int count_occurrences(std::string_view text, std::string_view pattern) {
    // An empty pattern is not something to count.
    if (pattern.empty())
        return 0;
    int count = 0;
    for (std::size_t x = text.find(pattern); x != npos; x = text.find(pattern, x + 1))
        ++count;
    return count;
}

} // namespace lumikko
