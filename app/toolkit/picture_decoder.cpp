#include "app/toolkit/picture_decoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QtEndian>

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <cstring>
#include <mutex>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace lumikko {
namespace {

bool acceptable_size(long long width, long long height) {
    return width > 0 && height > 0 && width <= max_picture_side && height <= max_picture_side &&
           width * height <= max_picture_pixels;
}

bool starts_with(const Bytes& bytes, const char* magic, std::size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), magic, length) == 0;
}

// ---- JPEG ----------------------------------------------------------------
//
// libjpeg reports fatal errors through error_exit, which must not return. We
// jump back to the setjmp in the member function that made the library call.
// Those functions hold only trivially destructible locals, so the jump skips
// no destructor.

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void jpeg_error_exit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

void jpeg_quiet(j_common_ptr) {}

// A progressive file can carry a great many scans, each of them a full pass
// over the picture; real pictures have a dozen at most.
constexpr int max_jpeg_scans = 500;

void jpeg_check_progress(j_common_ptr cinfo) {
    if (cinfo->is_decompressor) {
        auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (d->input_scan_number > max_jpeg_scans)
            std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
    }
}

class JpegDecoder {
public:
    JpegDecoder() {
        std::memset(&cinfo_, 0, sizeof cinfo_);
        std::memset(&progress_, 0, sizeof progress_);
        cinfo_.err = jpeg_std_error(&errors_.pub);
        errors_.pub.error_exit = jpeg_error_exit;
        errors_.pub.output_message = jpeg_quiet;
        progress_.progress_monitor = jpeg_check_progress;
    }
    ~JpegDecoder() {
        if (created_)
            jpeg_destroy_decompress(&cinfo_);
    }
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    bool read_header(const Bytes& bytes) {
        if (setjmp(errors_.jump))
            return false;
        created_ = true; // destroying a half-made decompressor is safe
        jpeg_create_decompress(&cinfo_);
        cinfo_.progress = &progress_;
        jpeg_mem_src(&cinfo_, reinterpret_cast<const unsigned char*>(bytes.data()),
                     static_cast<unsigned long>(bytes.size()));
        return jpeg_read_header(&cinfo_, TRUE) == JPEG_HEADER_OK;
    }

    long long width() const { return cinfo_.image_width; }
    long long height() const { return cinfo_.image_height; }

    // Decodes into `image`, which has the picture's size and Format_RGB32.
    // A file cut short decodes as far as it goes (libjpeg fills the rest).
    bool decode_into(QImage& image) {
        if (setjmp(errors_.jump))
            return false;
        const bool cmyk =
            cinfo_.jpeg_color_space == JCS_CMYK || cinfo_.jpeg_color_space == JCS_YCCK;
        if (cmyk)
            cinfo_.out_color_space = JCS_CMYK;
        else
            cinfo_.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
        cinfo_.scale_num = 1;
        cinfo_.scale_denom = 1;
        jpeg_start_decompress(&cinfo_);
        if (static_cast<int>(cinfo_.output_width) != image.width() ||
            static_cast<int>(cinfo_.output_height) != image.height() ||
            cinfo_.output_components != 4)
            return false;
        while (cinfo_.output_scanline < cinfo_.output_height) {
            const int y = static_cast<int>(cinfo_.output_scanline);
            JSAMPROW row = image.scanLine(y);
            if (jpeg_read_scanlines(&cinfo_, &row, 1) != 1)
                return false;
            if (cmyk)
                cmyk_to_rgb(row, image.width());
        }
        jpeg_finish_decompress(&cinfo_);
        return true;
    }

private:
    // Adobe writes CMYK inverted (255 = no ink), which is what is met in practice.
    static void cmyk_to_rgb(JSAMPROW row, int width) {
        auto* out = reinterpret_cast<QRgb*>(row);
        for (int x = 0; x < width; ++x) {
            const int c = row[4 * x], m = row[4 * x + 1], y = row[4 * x + 2], k = row[4 * x + 3];
            out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
        }
    }

    jpeg_decompress_struct cinfo_;
    JpegErrorManager errors_;
    jpeg_progress_mgr progress_;
    bool created_ = false;
};

QImage decode_jpeg(const Bytes& bytes) {
    JpegDecoder decoder;
    if (!decoder.read_header(bytes) || !acceptable_size(decoder.width(), decoder.height()))
        return {};
    QImage image(static_cast<int>(decoder.width()), static_cast<int>(decoder.height()),
                 QImage::Format_RGB32);
    if (image.isNull() || !decoder.decode_into(image))
        return {};
    return image;
}

// ---- PNG -----------------------------------------------------------------
//
// The same arrangement as for JPEG: libpng's errors jump back to the setjmp
// of the member function that called into the library.

struct PngSource {
    const unsigned char* data;
    std::size_t size;
    std::size_t offset;
};

void png_read_from_memory(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->size - source->offset)
        png_error(png, "unexpected end of data");
    std::memcpy(out, source->data + source->offset, length);
    source->offset += length;
}

[[noreturn]] void png_fail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void png_quiet(png_structp, png_const_charp) {}

class PngDecoder {
public:
    explicit PngDecoder(const Bytes& bytes)
        : source_{reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), 0} {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, png_fail, png_quiet);
        if (png_)
            info_ = png_create_info_struct(png_);
    }
    ~PngDecoder() {
        if (png_)
            png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
    }
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    // Reads the header and sets up the conversion to 32-bit pixels.
    bool read_header() {
        if (!png_ || !info_)
            return false;
        if (setjmp(png_jmpbuf(png_)))
            return false;
        png_set_read_fn(png_, &source_, png_read_from_memory);
        // libpng refuses these sizes itself too, before any row is read.
        png_set_user_limits(png_, max_picture_side, max_picture_side);
        png_read_info(png_, info_);

        png_uint_32 width = 0, height = 0;
        int bit_depth = 0, colour_type = 0, interlace = 0;
        png_get_IHDR(png_, info_, &width, &height, &bit_depth, &colour_type, &interlace, nullptr,
                     nullptr);
        width_ = width;
        height_ = height;
        if (!acceptable_size(width_, height_))
            return false;

        alpha_ = (colour_type & PNG_COLOR_MASK_ALPHA) != 0 ||
                 png_get_valid(png_, info_, PNG_INFO_tRNS) != 0;
        png_set_expand(png_); // palette to RGB, low gray to 8 bits, tRNS to alpha
        if (bit_depth == 16)
            png_set_strip_16(png_);
        if (colour_type == PNG_COLOR_TYPE_GRAY || colour_type == PNG_COLOR_TYPE_GRAY_ALPHA)
            png_set_gray_to_rgb(png_);
        if (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            png_set_bgr(png_); // B G R A in memory is 0xAARRGGBB
            if (!alpha_)
                png_set_filler(png_, 0xff, PNG_FILLER_AFTER);
        } else {
            if (alpha_)
                png_set_swap_alpha(png_);
            else
                png_set_filler(png_, 0xff, PNG_FILLER_BEFORE);
        }
        png_set_interlace_handling(png_);
        png_read_update_info(png_, info_);
        return png_get_rowbytes(png_, info_) == static_cast<png_size_t>(width_) * 4;
    }

    long long width() const { return width_; }
    long long height() const { return height_; }
    bool alpha() const { return alpha_; }

    bool decode_into(png_bytepp rows) {
        if (setjmp(png_jmpbuf(png_)))
            return false;
        png_read_image(png_, rows);
        png_read_end(png_, nullptr);
        return true;
    }

private:
    PngSource source_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    long long width_ = 0;
    long long height_ = 0;
    bool alpha_ = false;
};

QImage decode_png(const Bytes& bytes) {
    PngDecoder decoder(bytes);
    if (!decoder.read_header())
        return {};
    QImage image(static_cast<int>(decoder.width()), static_cast<int>(decoder.height()),
                 decoder.alpha() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y)
        rows[static_cast<std::size_t>(y)] = image.scanLine(y);
    if (!decoder.decode_into(rows.data()))
        return {};
    return image;
}

// ---- everything else ------------------------------------------------------

// Qt's own ceiling on what a reader may allocate; 32 megapixels at 8 bytes each
// stay under it. It is process-wide, so it is set once.
constexpr int reader_allocation_limit_mb = 256;

QImage decode_other(const Bytes& bytes) {
    static std::once_flag limit_set;
    std::call_once(limit_set, [] { QImageReader::setAllocationLimit(reader_allocation_limit_mb); });

    const QByteArray data =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return {};
    const QSize declared = reader.size();
    if (declared.isValid() && !acceptable_size(declared.width(), declared.height()))
        return {};
    QImage image = reader.read();
    if (image.isNull() || !acceptable_size(image.width(), image.height()))
        return {};
    return image;
}

} // namespace

QImage decode_picture(const Bytes& bytes) {
    if (bytes.empty())
        return {};
    if (starts_with(bytes, "\xFF\xD8\xFF", 3))
        return decode_jpeg(bytes);
    if (starts_with(bytes, "\x89PNG\r\n\x1A\n", 8))
        return decode_png(bytes);
    return decode_other(bytes);
}

} // namespace lumikko
