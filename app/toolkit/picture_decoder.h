#pragma once
// Turns downloaded picture bytes into an image. Safe on any thread. JPEG goes
// through libjpeg-turbo, PNG through libpng, anything else through QImageReader.
// Pictures over max_picture_side pixels a side or max_picture_pixels in all are
// refused before their pixels are decoded.

#include "browse/text.h"

#include <QImage>

namespace lumikko {

inline constexpr int max_picture_side = 8192;
inline constexpr long long max_picture_pixels = 32LL * 1000 * 1000;

// A null image when the bytes are empty, do not decode, or are too large.
QImage decode_picture(const Bytes& bytes);

} // namespace lumikko
