#include "app/toolkit/picture_decoder.h"
#include "support.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include <jpeglib.h>
#include <zlib.h>

namespace lumikko {
namespace {

using test::encode;
using test::filled;
using test::near;

void put_be16(Bytes& bytes, std::size_t at, int value) {
    bytes[at] = static_cast<char>((value >> 8) & 0xff);
    bytes[at + 1] = static_cast<char>(value & 0xff);
}

void put_be32(Bytes& bytes, std::size_t at, unsigned long value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (24 - 8 * i)) & 0xff);
}

void put_le32(Bytes& bytes, std::size_t at, int value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xff);
}

// Rewrites the frame size a JPEG declares, leaving its data as it is.
Bytes jpeg_claiming(Bytes jpeg, int width, int height) {
    std::size_t at = 2;
    while (at + 9 < jpeg.size()) {
        const auto code = static_cast<unsigned char>(jpeg[at + 1]);
        const int length = (static_cast<unsigned char>(jpeg[at + 2]) << 8) |
                           static_cast<unsigned char>(jpeg[at + 3]);
        if (code >= 0xC0 && code <= 0xC2) {
            put_be16(jpeg, at + 5, height);
            put_be16(jpeg, at + 7, width);
            return jpeg;
        }
        at += 2 + static_cast<std::size_t>(length);
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

// Rewrites the size in a PNG's header chunk, with a correct checksum.
Bytes png_claiming(Bytes png, unsigned long width, unsigned long height) {
    put_be32(png, 16, width);
    put_be32(png, 20, height);
    const auto crc = crc32(0L, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
    put_be32(png, 29, crc);
    return png;
}

QImage two_halves(QSize size, QColor left, QColor right) {
    QImage image = filled(size, right);
    QPainter painter(&image);
    painter.fillRect(0, 0, size.width() / 2, size.height(), left);
    return image;
}

Bytes cmyk_jpeg(int width, int height, std::array<unsigned char, 4> ink) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 4);
    for (std::size_t i = 0; i < row.size(); ++i)
        row[i] = ink[i % 4];
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes bytes(reinterpret_cast<const char*>(out), size);
    std::free(out);
    return bytes;
}

TEST(DecodePicture, RefusesWhatIsNoPicture) {
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"empty", Bytes()},
        {"text", Bytes("<html>not found</html>")},
        {"zero bytes", Bytes(64, '\0')},
        {"JPEG signature only", Bytes("\xFF\xD8\xFF", 3)},
        {"JPEG signature then garbage", Bytes("\xFF\xD8\xFF\xE0garbage garbage garbage")},
        {"PNG signature only", Bytes("\x89PNG\r\n\x1A\n", 8)},
        {"PNG signature then garbage", Bytes("\x89PNG\r\n\x1A\nIHDRgarbage garbage garbage")},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(decode_picture(c.bytes).isNull()) << c.name;
}

TEST(DecodePicture, PngOfEveryColourKindBecomes32Bit) {
    QImage rgb(5, 3, QImage::Format_RGB32);
    QImage argb(5, 3, QImage::Format_ARGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            rgb.setPixel(x, y, qRgb(40 * x, 100 * y, 200 - 30 * x));
            argb.setPixel(x, y, qRgba(50 * x, 20, 80 * y, 60 * x + 10));
        }
    QImage palette(4, 2, QImage::Format_Indexed8);
    palette.setColorTable({qRgb(255, 0, 0), qRgb(0, 128, 255), qRgb(7, 7, 7)});
    for (int x = 0; x < 4; ++x) {
        palette.setPixel(x, 0, x % 3);
        palette.setPixel(x, 1, (x + 1) % 3);
    }
    QImage grey = rgb.convertToFormat(QImage::Format_Grayscale8);
    QImage grey16 = rgb.convertToFormat(QImage::Format_Grayscale16);
    QImage deep = argb.convertToFormat(QImage::Format_RGBA64);
    QImage mono = rgb.convertToFormat(QImage::Format_Mono);

    const struct {
        const char* name;
        QImage image;
        bool alpha;
    } cases[] = {
        {"rgb", rgb, false},      {"rgba", argb, true},       {"palette", palette, false},
        {"grey", grey, false},    {"grey 16", grey16, false}, {"rgba 16", deep, true},
        {"one bit", mono, false},
    };
    for (const auto& c : cases) {
        const Bytes png = encode(c.image, "PNG");
        ASSERT_FALSE(png.empty()) << c.name;
        const QImage decoded = decode_picture(png);
        ASSERT_FALSE(decoded.isNull()) << c.name;
        EXPECT_EQ(decoded.size(), c.image.size()) << c.name;
        EXPECT_EQ(decoded.format(), c.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32)
            << c.name;
        const QImage expected = c.image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                EXPECT_TRUE(near(decoded.pixel(x, y), expected.pixel(x, y), 1))
                    << c.name << " at " << x << "," << y << ": " << std::hex << decoded.pixel(x, y)
                    << " != " << expected.pixel(x, y);
    }
}

TEST(DecodePicture, JpegColourGreyAndProgressive) {
    const QImage halves = two_halves({32, 16}, Qt::red, Qt::blue);
    QByteArray progressive;
    {
        QBuffer buffer(&progressive);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "JPEG");
        writer.setProgressiveScanWrite(true);
        ASSERT_TRUE(writer.write(halves));
    }
    const struct {
        const char* name;
        Bytes bytes;
    } colour_cases[] = {
        {"baseline", encode(halves, "JPEG")},
        {"progressive",
         Bytes(progressive.constData(), static_cast<std::size_t>(progressive.size()))},
    };
    for (const auto& c : colour_cases) {
        const QImage decoded = decode_picture(c.bytes);
        ASSERT_EQ(decoded.size(), QSize(32, 16)) << c.name;
        EXPECT_TRUE(near(decoded.pixel(4, 8), qRgb(255, 0, 0), 40)) << c.name;
        EXPECT_TRUE(near(decoded.pixel(28, 8), qRgb(0, 0, 255), 40)) << c.name;
    }

    const QImage grey =
        filled({16, 16}, QColor(90, 90, 90)).convertToFormat(QImage::Format_Grayscale8);
    const QImage decoded = decode_picture(encode(grey, "JPEG"));
    ASSERT_EQ(decoded.size(), QSize(16, 16));
    EXPECT_TRUE(near(decoded.pixel(8, 8), qRgb(90, 90, 90), 4));
}

TEST(DecodePicture, CmykJpegAsAdobeWritesIt) {
    // Inverted CMYK: full cyan value and full key mean no cyan ink and no black.
    const QImage decoded = decode_picture(cmyk_jpeg(16, 8, {255, 0, 0, 255}));
    ASSERT_EQ(decoded.size(), QSize(16, 8));
    EXPECT_TRUE(near(decoded.pixel(8, 4), qRgb(255, 0, 0), 12)) << std::hex << decoded.pixel(8, 4);
}

TEST(DecodePicture, OtherFormatsThroughQtReaders) {
    const QImage halves = two_halves({10, 6}, Qt::green, Qt::magenta);
    for (const char* format : {"BMP", "PPM", "XPM"}) {
        const QImage decoded = decode_picture(encode(halves, format));
        ASSERT_EQ(decoded.size(), QSize(10, 6)) << format;
        EXPECT_EQ(decoded.pixel(1, 3), qRgb(0, 255, 0)) << format;
        EXPECT_EQ(decoded.pixel(8, 3), qRgb(255, 0, 255)) << format;
    }
}

TEST(DecodePicture, SizeLimits) {
    const Bytes small_jpeg = encode(filled({16, 16}, Qt::gray), "JPEG");
    const Bytes small_bmp = encode(filled({4, 4}, Qt::gray), "BMP");
    Bytes wide_bmp = small_bmp;
    put_le32(wide_bmp, 18, 9000);
    // The frame is declared larger than the data: libjpeg would fill the rest
    // in, so only the limit stands between this and a 36-megapixel image.
    const struct {
        const char* name;
        Bytes bytes;
        bool decodes;
    } cases[] = {
        {"JPEG 8192 wide", encode(filled({8192, 8}, Qt::gray), "JPEG"), true},
        {"JPEG 9000 wide", encode(filled({9000, 8}, Qt::gray), "JPEG"), false},
        {"JPEG 8 by 8193", encode(filled({8, 8193}, Qt::gray), "JPEG"), false},
        {"JPEG claiming 6000x6000", jpeg_claiming(small_jpeg, 6000, 6000), false},
        {"JPEG claiming 9000x16", jpeg_claiming(small_jpeg, 9000, 16), false},
        {"PNG 8192 wide", encode(filled({8192, 4}, Qt::gray), "PNG"), true},
        {"PNG 9000 wide", encode(filled({9000, 10}, Qt::gray), "PNG"), false},
        {"PNG 5700x5700 one bit",
         encode(filled({5700, 5700}, Qt::white, QImage::Format_Mono), "PNG"), false},
        {"PNG header claiming 9000x10",
         png_claiming(encode(filled({4, 4}, Qt::gray), "PNG"), 9000, 10), false},
        {"BMP 8192 wide", encode(filled({8192, 2}, Qt::gray), "BMP"), true},
        {"BMP claiming 9000 wide", wide_bmp, false},
    };
    for (const auto& c : cases) {
        ASSERT_FALSE(c.bytes.empty()) << c.name;
        EXPECT_EQ(!decode_picture(c.bytes).isNull(), c.decodes) << c.name;
    }
}

TEST(DecodePicture, CutShortNeverCrashes) {
    QImage noise(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            noise.setPixel(x, y, qRgb((x * 37 + y * 11) & 0xff, (x * y) & 0xff, (y * 53) & 0xff));
    for (const char* format : {"JPEG", "PNG", "BMP", "PPM"}) {
        const Bytes whole = encode(noise, format);
        ASSERT_GT(whole.size(), 100u) << format;
        for (const std::size_t keep : {whole.size() / 2, whole.size() - 3, std::size_t{40},
                                       std::size_t{12}, std::size_t{4}}) {
            const QImage part = decode_picture(whole.substr(0, keep));
            // Whatever could be decoded keeps the declared size; nothing else.
            if (!part.isNull()) {
                EXPECT_EQ(part.size(), QSize(64, 64)) << format << " cut at " << keep;
            }
        }
    }
    // A JPEG cut in the middle still shows its first rows: red on top, noise
    // below so that the cut falls in the picture data, not in the tables.
    QImage top_red = filled({128, 128}, Qt::red);
    for (int y = 32; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            top_red.setPixel(x, y,
                             qRgb((x * 97 + y * 31) & 0xff, (x * y * 7) & 0xff, (y * 53) & 0xff));
    const Bytes jpeg = encode(top_red, "JPEG");
    const QImage half = decode_picture(jpeg.substr(0, jpeg.size() * 3 / 4));
    ASSERT_EQ(half.size(), QSize(128, 128));
    EXPECT_TRUE(near(half.pixel(10, 2), qRgb(255, 0, 0), 40));
    EXPECT_TRUE(near(half.pixel(100, 20), qRgb(255, 0, 0), 40));
}

TEST(DecodePicture, ManyThreadsAtOnce) {
    const Bytes jpeg = encode(two_halves({40, 20}, Qt::red, Qt::blue), "JPEG");
    const Bytes png = encode(two_halves({40, 20}, Qt::red, Qt::blue), "PNG");
    const Bytes garbage = "\xFF\xD8\xFF\xE0 this is no picture at all";
    std::vector<int> decoded(8, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < decoded.size(); ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                const QImage a = decode_picture(jpeg);
                const QImage b = decode_picture(png);
                const QImage c = decode_picture(garbage);
                if (a.size() == QSize(40, 20) && b.pixel(39, 0) == qRgb(0, 0, 255) && c.isNull())
                    ++decoded[t];
            }
        });
    for (auto& thread : threads)
        thread.join();
    for (const int count : decoded)
        EXPECT_EQ(count, 20);
}

} // namespace
} // namespace lumikko
