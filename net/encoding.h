#pragma once
// Percent codec for the site's URLs and the one legacy-encoding edge (the
// update notice, written in GBK).

#include <string>
#include <string_view>

namespace lumikko {

// Every byte of the UTF-8 text as %XX with uppercase hex digits.
std::string url_encode_utf8(std::string_view text);

// Decodes %XX escapes (hex digits in either case). A decoded zero byte is
// dropped; a "%" without two hex digits after it is kept as it stands. Invalid
// UTF-8 in the result is replaced by U+FFFD, so the result is valid UTF-8.
std::string url_decode_utf8(std::string_view text);

// The bytes as valid UTF-8: kept as they are when they already are valid UTF-8,
// otherwise converted from GBK; what GBK cannot map becomes U+FFFD.
std::string gbk_to_utf8(std::string_view bytes);

// UTF-8 to GBK (the demo site writes its notice with it). Characters GBK lacks
// become "?".
std::string utf8_to_gbk(std::string_view text);

bool is_valid_utf8(std::string_view bytes);

} // namespace lumikko
