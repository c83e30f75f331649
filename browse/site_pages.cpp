#include "browse/site_pages.h"

#include "net/encoding.h"

namespace lumikko {

Text value_before_quote(std::string_view piece) {
    return Text(piece.substr(0, piece.find('"')));
}

ListPage parse_list_page(std::string_view page) {
    const Text block = text_between(page, list_block_start, list_block_end);
    const TextArray thumbs = text_split(block, thumbnail_separator);
    const TextArray links = text_split(block, album_link_separator);

    // The piece before the first separator is never an album; albums pair up by
    // their order in the block, as long as both kinds of piece are there.
    ListPage result;
    for (std::size_t k = 1; k < thumbs.size() && k < links.size(); ++k) {
        result.thumbnails.push_back(value_before_quote(thumbs[k]));
        result.links.push_back(value_before_quote(links[k]));
    }
    return result;
}

AlbumPage parse_album_page(std::string_view page, bool first_page) {
    AlbumPage result;
    Text block = extract_text(page, album_block_start, album_block_end);
    if (first_page && text_find(block, album_pager_marker) != -1) {
        block = url_decode_utf8(block);
        result.paged = true;
        result.page_count = count_occurrences(block, "页");
    }
    const TextArray pieces = text_split(block, album_image_marker);
    for (std::size_t k = 1; k < pieces.size(); ++k)
        result.picture_urls.push_back(value_before_quote(pieces[k]));
    return result;
}

} // namespace lumikko
