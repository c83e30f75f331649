#pragma once
// Cutting list pages and album pages of the avatar site apart. Pure functions:
// no Qt, no network.

#include "browse/text.h"

#include <string_view>

namespace lumikko {

inline constexpr std::string_view list_block_start = "<div class=\"c clearx\">";
inline constexpr std::string_view list_block_end =
    "</div>\r\n                <div class=\"r right\">\r";
inline constexpr std::string_view thumbnail_separator = "\" src=\"";
inline constexpr std::string_view album_link_separator = "</span><a href=\"";

inline constexpr std::string_view album_block_start =
    "List clearx avatarList1\" id=\"J_avatarList\">";
inline constexpr std::string_view album_block_end = "<div class=\"fx";
inline constexpr std::string_view album_pager_marker = "</a><a class=\"bg_white";
inline constexpr std::string_view album_image_marker = "<img src=\"";

// The albums of one list page: thumbnails[k] and links[k] belong together.
struct ListPage {
    TextArray thumbnails;
    TextArray links;
};
ListPage parse_list_page(std::string_view page);

struct AlbumPage {
    // Only read on an album's first page: whether it has a pager, and how many
    // pages that pager names.
    bool paged = false;
    int page_count = 1;
    // Picture URLs in page order; an empty one keeps its slot.
    TextArray picture_urls;
};
AlbumPage parse_album_page(std::string_view page, bool first_page);

// The value at the start of a piece: the text before its first double quote.
Text value_before_quote(std::string_view piece);

} // namespace lumikko
