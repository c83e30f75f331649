#pragma once
// Decoding pictures the demo site serves, with the real codecs.

#include <optional>
#include <string>
#include <string_view>

namespace lumikko::demo::test {

struct Decoded {
    int width = 0;
    int height = 0;
    std::string rgb; // 3 bytes a pixel
};

std::optional<Decoded> decode_jpeg(std::string_view bytes);
std::optional<Decoded> decode_png(std::string_view bytes);

} // namespace lumikko::demo::test
