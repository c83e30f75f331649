// The built-in pictures: every one is compiled in, decodes, and has the size its control needs.

#include "res/resources.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct Expected {
    const char* name;
    int width;
    int height;
};

// Picture buttons: name and the size of the control they are drawn for.
const std::vector<Expected> buttons = {
    {"close_normal", 32, 32},    {"close_hover", 32, 32},    {"close_pressed", 32, 32},
    {"minimise_normal", 32, 32}, {"minimise_hover", 32, 32}, {"minimise_pressed", 32, 32},
    {"side1_normal", 64, 40},    {"side1_pressed", 64, 40},  {"side2_normal", 64, 40},
    {"side2_pressed", 64, 40},   {"side3_normal", 64, 40},   {"side3_pressed", 64, 40},
    {"side4_normal", 64, 40},    {"side4_pressed", 64, 40},  {"side5_normal", 64, 40},
    {"side5_pressed", 64, 40},   {"side6_normal", 64, 40},   {"side6_pressed", 64, 40},
    {"side7_normal", 64, 40},    {"side7_pressed", 64, 40},  {"list_prev", 120, 120},
    {"list_next", 120, 120},     {"album_prev", 318, 24},    {"album_next", 318, 24},
    {"tag1", 136, 32},           {"tag2", 136, 32},          {"tag3", 136, 32},
    {"tag4", 136, 32},           {"tag5", 136, 32},          {"tag6", 136, 32},
    {"tag7", 136, 32},           {"tag8", 136, 32},          {"tag9", 136, 32},
    {"tag10", 136, 32},          {"tag11", 136, 32},         {"tag12", 136, 32},
    {"search", 96, 32},          {"save", 114, 32},          {"copy", 114, 32},
};

QImage load(const QString& path) {
    QImage img;
    EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    EXPECT_TRUE(img.load(path)) << path.toStdString();
    return img;
}

QByteArray read_all(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

std::uint32_t u32(const QByteArray& b, int at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

std::uint16_t u16(const QByteArray& b, int at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

TEST(Resources, EveryButtonHasItsSizeAt1xAnd2x) {
    for (const Expected& e : buttons) {
        SCOPED_TRACE(e.name);
        const QString base = QStringLiteral(":/res/buttons/%1").arg(QLatin1String(e.name));
        const QImage one = load(base + ".png");
        const QImage two = load(base + "@2x.png");
        EXPECT_EQ(one.size(), QSize(e.width, e.height));
        EXPECT_EQ(two.size(), QSize(2 * e.width, 2 * e.height));
    }
}

TEST(Resources, ButtonStatesDiffer) {
    // A hover or pressed picture identical to the normal one would give no feedback.
    const char* pairs[][2] = {
        {"close_normal", "close_hover"},
        {"close_hover", "close_pressed"},
        {"minimise_normal", "minimise_hover"},
        {"minimise_hover", "minimise_pressed"},
        {"side1_normal", "side1_pressed"},
        {"side7_normal", "side7_pressed"},
        {"list_prev", "list_next"},
        {"album_prev", "album_next"},
        {"tag1", "tag11"},
        {"save", "copy"},
    };
    for (const auto& pair : pairs) {
        SCOPED_TRACE(std::string(pair[0]) + " vs " + pair[1]);
        const QImage a = load(QStringLiteral(":/res/buttons/%1.png").arg(pair[0]));
        const QImage b = load(QStringLiteral(":/res/buttons/%1.png").arg(pair[1]));
        EXPECT_NE(a.convertToFormat(QImage::Format_RGB32), b.convertToFormat(QImage::Format_RGB32));
    }
}

TEST(Resources, SideBarButtonsSitOnTheBar) {
    // The side bar is RGB 72,72,72; a button whose corner differs would show as a patch.
    for (int i = 1; i <= 7; ++i) {
        for (const char* state : {"normal", "pressed"}) {
            const QString path = QStringLiteral(":/res/buttons/side%1_%2.png").arg(i).arg(state);
            SCOPED_TRACE(path.toStdString());
            const QImage img = load(path);
            ASSERT_FALSE(img.isNull());
            EXPECT_EQ(QColor(img.pixel(0, 0)), QColor(72, 72, 72));
            EXPECT_EQ(QColor(img.pixel(img.width() - 1, img.height() - 1)), QColor(72, 72, 72));
        }
    }
}

TEST(Resources, IconAt1xAnd2x) {
    EXPECT_EQ(load(":/res/icon.png").size(), QSize(48, 48));
    EXPECT_EQ(load(":/res/icon@2x.png").size(), QSize(96, 96));
}

TEST(Resources, LogoIs128By125Jpeg) {
    EXPECT_TRUE(read_all(":/res/logo.jpg").startsWith("\xff\xd8\xff"));
    EXPECT_EQ(load(":/res/logo.jpg").size(), QSize(128, 125));
}

TEST(Resources, TwelveSamplesOf200By200) {
    for (int i = 1; i <= 12; ++i) {
        const QString path = QStringLiteral(":/res/samples/sample%1.jpg").arg(i, 2, 10, QChar('0'));
        SCOPED_TRACE(path.toStdString());
        EXPECT_TRUE(read_all(path).startsWith("\xff\xd8\xff"));
        EXPECT_EQ(load(path).size(), QSize(200, 200));
    }
    EXPECT_FALSE(QFile::exists(":/res/samples/sample13.jpg"));
}

TEST(Resources, PlaceholderIsAPlain24BitBmp) {
    const QByteArray b = read_all(":/res/placeholder.bmp");
    const int row = 120 * 3; // already a multiple of 4
    ASSERT_EQ(b.size(), 54 + row * 120);
    EXPECT_EQ(b.left(2), QByteArray("BM"));
    EXPECT_EQ(u32(b, 2), std::uint32_t(b.size())); // file size
    EXPECT_EQ(u32(b, 10), 54u);                    // pixel data offset
    EXPECT_EQ(u32(b, 14), 40u);                    // BITMAPINFOHEADER
    EXPECT_EQ(u32(b, 18), 120u);                   // width
    EXPECT_EQ(u32(b, 22), 120u);                   // height, positive: bottom-up
    EXPECT_EQ(u16(b, 26), 1);                      // planes
    EXPECT_EQ(u16(b, 28), 24);                     // bits per pixel
    EXPECT_EQ(u32(b, 30), 0u);                     // BI_RGB
}

TEST(Resources, PlaceholderIsWhiteWithASymbolTopLeft) {
    const QImage img = load(":/res/placeholder.bmp").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(img.size(), QSize(120, 120));
    int marked = 0;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 120; ++x) {
            const bool white = img.pixel(x, y) == qRgb(255, 255, 255);
            if (x < 20 && y < 20) {
                marked += white ? 0 : 1;
            } else {
                ASSERT_TRUE(white) << "at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(marked, 40); // a visible symbol, not a stray pixel
}

TEST(Resources, PlaceholderPixelsMatchTheFileBytes) {
    // The decoder and our reading of the file agree on row order and BGR layout.
    const QByteArray b = read_all(":/res/placeholder.bmp");
    const QImage img = load(":/res/placeholder.bmp").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(b.size(), 54 + 360 * 120);
    for (int y : {0, 5, 10, 15, 60, 119}) {
        for (int x : {0, 4, 10, 13, 19, 100}) {
            const int at = 54 + (119 - y) * 360 + x * 3;
            const QRgb from_file =
                qRgb(std::uint8_t(b[at + 2]), std::uint8_t(b[at + 1]), std::uint8_t(b[at]));
            EXPECT_EQ(img.pixel(x, y), from_file) << "at " << x << "," << y;
        }
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv); // the image format plugins (JPEG) are found through it
    lumikko::init_resources();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
