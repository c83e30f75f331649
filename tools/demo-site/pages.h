#pragma once
// The HTML of the demo site and the update notice. Pure functions of their
// arguments: the server only adds its origin.

#include "tools/demo-site/catalogue.h"

#include <optional>
#include <string>
#include <string_view>

namespace lumikko::demo {

// A list page: header, the album block (20 albums on a full page, fewer on the
// last, none beyond it), the side bar. Absolute URLs start with origin.
std::string list_page(std::string_view origin, const ListRef& list, int page);

// Page `page` of the album (from 1); nothing beyond its last page.
std::optional<std::string> album_page(std::string_view origin, int album_id, int page);

// The forum post that links the update notice as attachment.php?aid=<id>.
constexpr int notice_attachment_id = 17;
std::string forum_post();

// The update notice in GBK, announcing version at address.
std::string notice_gbk(std::string_view version, std::string_view address);

// UTF-8 to GBK with iconv; what GBK lacks becomes "?".
std::string to_gbk(std::string_view utf8);

std::string home_page(std::string_view origin);
std::string download_page(std::string_view file);
std::string not_found_page(std::string_view target);

// Text safe inside HTML: valid UTF-8 (bad bytes become U+FFFD) with <>&" escaped.
std::string html_text(std::string_view bytes);

} // namespace lumikko::demo
