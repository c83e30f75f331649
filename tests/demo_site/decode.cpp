#include "tests/demo_site/decode.h"

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>
#include <png.h>

namespace lumikko::demo::test {

namespace {
struct JpegErrors {
    jpeg_error_mgr mgr; // first: libjpeg hands it back as the error pointer
    std::jmp_buf jump;
};
} // namespace

std::optional<Decoded> decode_jpeg(std::string_view bytes) {
    jpeg_decompress_struct info{};
    JpegErrors errors{};
    info.err = jpeg_std_error(&errors.mgr);
    errors.mgr.error_exit = [](j_common_ptr c) {
        std::longjmp(reinterpret_cast<JpegErrors*>(c->err)->jump, 1);
    };
    errors.mgr.output_message = [](j_common_ptr) {};
    // Made before setjmp, so the jump back destroys nothing.
    auto out = std::make_unique<Decoded>();
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out->width = static_cast<int>(info.output_width);
    out->height = static_cast<int>(info.output_height);
    out->rgb.resize(static_cast<std::size_t>(out->width) * out->height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(out->rgb.data()) +
                       static_cast<std::size_t>(info.output_scanline) * out->width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return std::move(*out);
}

std::optional<Decoded> decode_png(std::string_view bytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return std::nullopt;
    image.format = PNG_FORMAT_RGB;
    Decoded out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return out;
}

} // namespace lumikko::demo::test
