#pragma once
// Pictures of the demo site: drawn in code, encoded as JPEG or PNG, and the
// same bytes every time for the same address.

#include "tools/demo-site/catalogue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumikko::demo {

enum class PictureFormat { jpeg, png };

struct PictureSpec {
    PictureFormat format = PictureFormat::jpeg;
    int width = 0;
    int height = 0;
    Style style = Style::face;
    std::uint64_t seed = 0; // what is drawn; the thumbnail shares its album's first avatar's seed
};

// "/pic/thumb/<album>.jpg|png": 120x120 mostly, some 150 to 180 a side.
std::string thumbnail_path(int album_id);
// "/pic/<album>/<page>_<index>.jpg|png" (index from 1): 200x200 mostly, some 100 or 150.
std::string avatar_path(int album_id, int page, int index);

PictureSpec thumbnail_spec(int album_id);
PictureSpec avatar_spec(int album_id, int page, int index);
// The spec behind a path; nothing for a path that names no picture of the site
// (unknown album page or index, wrong extension).
std::optional<PictureSpec> picture_spec(std::string_view path);

// The raw pixels, RGB, 8 bits a channel, row after row.
std::string render_rgb(const PictureSpec& spec);
// The encoded file.
std::string picture(const PictureSpec& spec);

} // namespace lumikko::demo
