#pragma once
// What the demo site holds: albums and the lists that show them. Everything is
// derived from the album number or the list's word, so nothing is stored.

#include <string>
#include <string_view>
#include <vector>

namespace lumikko::demo {

// Kinds of picture an album is drawn in; the thumbnail follows the album.
enum class Style { face, animal, landscape, flower, tiles, night };

struct Album {
    int id = 0;
    std::string folder; // "/qqtouxiang/<folder>/<id>.html"
    std::string title;  // UTF-8, never holds 页 or a double quote
    Style style = Style::face;
    std::vector<int> images_per_page; // one entry per page of the album

    int page_count() const { return static_cast<int>(images_per_page.size()); }
    int image_count() const;
};

// Album numbers run from 10000 to 99999; any number in that range exists.
constexpr int first_album_id = 10000;
constexpr int last_album_id = 99999;
Album album(int id);

enum class ListKind { hot, good, tag, search };

struct ListRef {
    ListKind kind = ListKind::hot;
    std::string word; // decoded tag or search word (UTF-8 or raw bytes); empty for hot and good
};

// Full pages hold this many albums; only the last page holds fewer.
constexpr int albums_per_full_page = 20;

// Pages of the list that hold albums (3 to 5); later pages are empty.
int list_page_count(const ListRef& list);
// The album numbers on a page, empty beyond the last page.
std::vector<int> list_album_ids(const ListRef& list, int page);

// The sixteen tag words the program's buttons use.
const std::vector<std::string>& tag_words();

// Paths (without the origin).
std::string album_path(const Album& a);                // ".../<id>.html"
std::string album_page_path(const Album& a, int page); // ".../<id>_<page>.html"
std::string list_path(const ListRef& list, int page);  // percent-encoded word

// Every byte as %XX, uppercase hex: the form the program sends.
std::string percent_encode(std::string_view bytes);
// %XX decoded (either case); a "%" without two hex digits stays as it is.
std::string percent_decode(std::string_view text);

} // namespace lumikko::demo
