#include "tools/demo-site/pictures.h"

#include "tools/demo-site/seed.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace lumikko::demo {

using detail::fnv1a;
using detail::mix;
using detail::Rng;

namespace {

// ---- colours and the canvas ------------------------------------------------

struct Color {
    float r, g, b;
};

constexpr Color hex(std::uint32_t v) {
    return {static_cast<float>((v >> 16) & 255) / 255.f, static_cast<float>((v >> 8) & 255) / 255.f,
            static_cast<float>(v & 255) / 255.f};
}

constexpr Color white = hex(0xFFFFFF);
constexpr Color ink = hex(0x2B2530);

Color blend(Color a, Color b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Five colours from light to dark that go together.
using Palette = std::array<Color, 5>;

const std::vector<Palette>& palettes() {
    static const std::vector<Palette> all{
        {hex(0xFFF0F3), hex(0xFFCCD5), hex(0xFF8FA3), hex(0xC9184A), hex(0x590D22)}, // sakura
        {hex(0xF1FAEE), hex(0xD8F3DC), hex(0x95D5B2), hex(0x52B788), hex(0x1B4332)}, // mint
        {hex(0xE0FBFC), hex(0xC2DFE3), hex(0x9DB4C0), hex(0x5C6B73), hex(0x253237)}, // mist
        {hex(0xFFE5D9), hex(0xFFCAD4), hex(0xF4ACB7), hex(0x9D8189), hex(0x4A3B45)}, // blush
        {hex(0xF3E8FF), hex(0xDCC6F5), hex(0xB69CE0), hex(0x7B61A8), hex(0x3C2A5C)}, // lavender
        {hex(0xE3F2FD), hex(0xBBDEFB), hex(0x90CAF9), hex(0x42A5F5), hex(0x0D47A1)}, // sky
        {hex(0xFFF4E6), hex(0xFFD8A8), hex(0xFFA94D), hex(0xE8590C), hex(0x5C2B0B)}, // apricot
        {hex(0xE9F5DB), hex(0xCFE1B9), hex(0x97A97C), hex(0x718355), hex(0x3A4A2B)}, // moss
        {hex(0xF8EDEB), hex(0xF9DCC4), hex(0xF4A261), hex(0xE76F51), hex(0x264653)}, // dusk
        {hex(0xE6FFFA), hex(0xB2F5EA), hex(0x4FD1C5), hex(0x319795), hex(0x234E52)}, // lagoon
        {hex(0xFFFBE6), hex(0xFFF3B0), hex(0xE9C46A), hex(0x2A9D8F), hex(0x264653)}, // lemon
        {hex(0xFCE4EC), hex(0xF8BBD0), hex(0xCE93D8), hex(0x8E24AA), hex(0x311B45)}, // berry
    };
    return all;
}

float clamp01(float x) {
    return std::clamp(x, 0.f, 1.f);
}
float len(float x, float y) {
    return std::sqrt(x * x + y * y);
}

// Shapes are signed distance functions over the unit square (0..1 both ways),
// negative inside; the canvas turns the distance into anti-aliased coverage.
class Canvas {
public:
    Canvas(int width, int height)
        : w_(width)
        , h_(height)
        , px_(static_cast<std::size_t>(width) * height, white) {}

    template <class F> void background(F colour_at) {
        for (int j = 0; j < h_; ++j)
            for (int i = 0; i < w_; ++i)
                px_[static_cast<std::size_t>(j) * w_ + i] = colour_at(u(i), v(j));
    }

    // soft widens the edge (in unit lengths) for glows and blush.
    template <class Sdf> void fill(Sdf sdf, Color c, float alpha = 1.f, float soft = 0.f) {
        const float edge = 1.f / static_cast<float>(w_) + soft;
        for (int j = 0; j < h_; ++j) {
            for (int i = 0; i < w_; ++i) {
                const float d = sdf(u(i), v(j));
                if (d >= edge * 0.5f)
                    continue;
                const float cover = clamp01(0.5f - d / edge) * alpha;
                Color& p = px_[static_cast<std::size_t>(j) * w_ + i];
                p = blend(p, c, cover);
            }
        }
    }

    std::string rgb() const {
        std::string out(px_.size() * 3, '\0');
        for (std::size_t k = 0; k < px_.size(); ++k) {
            out[k * 3] = static_cast<char>(std::lround(clamp01(px_[k].r) * 255.f));
            out[k * 3 + 1] = static_cast<char>(std::lround(clamp01(px_[k].g) * 255.f));
            out[k * 3 + 2] = static_cast<char>(std::lround(clamp01(px_[k].b) * 255.f));
        }
        return out;
    }

private:
    float u(int i) const { return (static_cast<float>(i) + 0.5f) / static_cast<float>(w_); }
    float v(int j) const { return (static_cast<float>(j) + 0.5f) / static_cast<float>(h_); }

    int w_, h_;
    std::vector<Color> px_;
};

// ---- shapes -----------------------------------------------------------------

auto circle(float cx, float cy, float r) {
    return [=](float x, float y) { return len(x - cx, y - cy) - r; };
}

auto ellipse(float cx, float cy, float rx, float ry, float angle = 0.f) {
    const float c = std::cos(angle), s = std::sin(angle);
    return [=](float x, float y) {
        const float dx = (x - cx) * c + (y - cy) * s;
        const float dy = -(x - cx) * s + (y - cy) * c;
        const float k = len(dx / rx, dy / ry);
        const float g = len(dx / (rx * rx), dy / (ry * ry));
        if (g < 1e-6f)
            return -std::min(rx, ry);
        return (k - 1.f) * k / g;
    };
}

auto box(float cx, float cy, float hw, float hh, float r = 0.f) {
    return [=](float x, float y) {
        const float qx = std::abs(x - cx) - hw + r, qy = std::abs(y - cy) - hh + r;
        return len(std::max(qx, 0.f), std::max(qy, 0.f)) + std::min(std::max(qx, qy), 0.f) - r;
    };
}

auto segment(float ax, float ay, float bx, float by, float r) {
    return [=](float x, float y) {
        const float px = x - ax, py = y - ay, ex = bx - ax, ey = by - ay;
        const float h = clamp01((px * ex + py * ey) / (ex * ex + ey * ey));
        return len(px - ex * h, py - ey * h) - r;
    };
}

auto triangle(float x0, float y0, float x1, float y1, float x2, float y2, float round = 0.f) {
    return [=](float x, float y) {
        const float e0x = x1 - x0, e0y = y1 - y0, e1x = x2 - x1, e1y = y2 - y1, e2x = x0 - x2,
                    e2y = y0 - y2;
        const float v0x = x - x0, v0y = y - y0, v1x = x - x1, v1y = y - y1, v2x = x - x2,
                    v2y = y - y2;
        auto edge = [](float vx, float vy, float ex, float ey) {
            const float h = clamp01((vx * ex + vy * ey) / (ex * ex + ey * ey));
            const float qx = vx - ex * h, qy = vy - ey * h;
            return qx * qx + qy * qy;
        };
        const float s = (e0x * e2y - e0y * e2x) < 0.f ? -1.f : 1.f;
        const float d = std::min(
            {edge(v0x, v0y, e0x, e0y), edge(v1x, v1y, e1x, e1y), edge(v2x, v2y, e2x, e2y)});
        const float inside = std::min({s * (v0x * e0y - v0y * e0x), s * (v1x * e1y - v1y * e1x),
                                       s * (v2x * e2y - v2y * e2x)});
        return -std::sqrt(d) * (inside < 0.f ? -1.f : 1.f) - round;
    };
}

// Part of a ring: the stroke of a circle, kept below (lower) or above the centre.
auto arc(float cx, float cy, float r, float thickness, bool lower) {
    return [=](float x, float y) {
        const float ring = std::abs(len(x - cx, y - cy) - r) - thickness;
        return std::max(ring, lower ? cy - y : y - cy);
    };
}

// ---- styles -----------------------------------------------------------------

constexpr std::array skins{hex(0xFFE3D0), hex(0xFCD5B5), hex(0xF5C9A8), hex(0xEBB998),
                           hex(0xFFE8D6)};
constexpr std::array hairs{hex(0x3B2A2A), hex(0x5A3E36), hex(0x2E2A35), hex(0x8C5A3C),
                           hex(0xD98BA8), hex(0x6C7FA8), hex(0xE0B36A)};
constexpr Color blush_pink = hex(0xFF8FA3);

void scatter_bokeh(Canvas& c, Rng& rng, Color tint, int count, float top) {
    for (int k = 0; k < count; ++k) {
        const float x = static_cast<float>(rng.unit()), y = static_cast<float>(rng.unit()) * top;
        const float r = static_cast<float>(rng.uniform(0.03, 0.09));
        c.fill(circle(x, y, r), rng.chance(0.5) ? white : tint,
               static_cast<float>(rng.uniform(0.15, 0.3)), 0.01f);
    }
}

void draw_face(Canvas& c, Rng& rng, const Palette& p) {
    const Color top = p[0], bottom = p[1];
    c.background([&](float x, float y) {
        const float glow = std::max(0.f, 1.f - len(x - 0.5f, y - 0.45f) / 0.6f);
        return blend(blend(top, bottom, y), white, 0.3f * glow * glow);
    });
    scatter_bokeh(c, rng, p[2], 6, 0.7f);

    const Color skin = skins[rng.below(skins.size())];
    const Color hair = hairs[rng.below(hairs.size())];
    const Color cloth = rng.chance(0.5) ? p[2] : p[3];
    const bool long_hair = rng.chance(0.55);
    const int accessory = rng.below(5);
    const float hy = 0.5f + static_cast<float>(rng.uniform(-0.02, 0.02));
    const float phase = static_cast<float>(rng.uniform(0, 6.28));

    if (long_hair)
        c.fill(box(0.5f, hy + 0.17f, 0.25f, 0.25f, 0.12f), blend(hair, ink, 0.12f));
    c.fill(ellipse(0.5f, 1.06f, 0.36f, 0.28f), cloth);
    c.fill(box(0.5f, hy + 0.23f, 0.045f, 0.07f, 0.02f), blend(skin, hex(0xB07050), 0.12f));
    c.fill(triangle(0.44f, 0.79f, 0.56f, 0.79f, 0.5f, 0.87f, 0.005f),
           blend(skin, hex(0xB07050), 0.08f));
    if (accessory == 1) { // cat ears
        for (float s : {-1.f, 1.f}) {
            c.fill(triangle(0.5f + s * 0.17f, hy - 0.12f, 0.5f + s * 0.13f, hy - 0.3f,
                            0.5f + s * 0.05f, hy - 0.19f, 0.01f),
                   hair);
            c.fill(triangle(0.5f + s * 0.15f, hy - 0.15f, 0.5f + s * 0.13f, hy - 0.25f,
                            0.5f + s * 0.08f, hy - 0.19f),
                   blush_pink, 0.8f);
        }
    } else if (accessory == 2) { // bun
        c.fill(circle(0.5f, hy - 0.25f, 0.075f), hair);
    }
    for (float s : {-1.f, 1.f})
        c.fill(circle(0.5f + s * 0.2f, hy + 0.03f, 0.035f), skin);
    c.fill(ellipse(0.5f, hy, 0.2f, 0.215f), skin);
    c.fill(
        [&](float x, float y) {
            const float edge = hy - 0.065f +
                               0.028f * std::abs(std::sin((x - 0.5f) * 22.f + phase)) +
                               std::max(0.f, std::abs(x - 0.5f) - 0.12f) * 2.5f;
            return std::max(circle(0.5f, hy - 0.02f, 0.228f)(x, y), y - edge);
        },
        hair);
    if (long_hair)
        for (float s : {-1.f, 1.f})
            c.fill(box(0.5f + s * 0.195f, hy + 0.1f, 0.03f, 0.13f, 0.03f), hair);
    if (accessory == 3) { // flower clip
        const float fx = 0.35f, fy = hy - 0.13f;
        for (int k = 0; k < 5; ++k) {
            const float a = static_cast<float>(k) * 2.f * std::numbers::pi_v<float> / 5.f;
            c.fill(circle(fx + std::cos(a) * 0.025f, fy + std::sin(a) * 0.025f, 0.02f), white);
        }
        c.fill(circle(fx, fy, 0.016f), hex(0xF6C453));
    } else if (accessory == 4) { // bow
        const float bx = 0.64f, by = hy - 0.16f;
        c.fill(triangle(bx, by, bx - 0.07f, by - 0.04f, bx - 0.07f, by + 0.04f, 0.008f), p[3]);
        c.fill(triangle(bx, by, bx + 0.07f, by - 0.04f, bx + 0.07f, by + 0.04f, 0.008f), p[3]);
        c.fill(circle(bx, by, 0.018f), blend(p[3], ink, 0.2f));
    }

    const Color eye = blend(p[4], ink, 0.5f);
    const bool open = rng.chance(0.7);
    const float ey = hy + 0.045f;
    for (float s : {-1.f, 1.f}) {
        const float ex = 0.5f + s * 0.085f;
        c.fill(segment(ex - 0.025f, ey - 0.06f, ex + 0.025f, ey - 0.063f, 0.005f),
               blend(hair, ink, 0.3f), 0.8f);
        if (open) {
            c.fill(ellipse(ex, ey, 0.024f, 0.032f), eye);
            c.fill(circle(ex + 0.009f, ey - 0.012f, 0.009f), white);
            c.fill(circle(ex - 0.007f, ey + 0.013f, 0.004f), white, 0.7f);
        } else {
            c.fill(arc(ex, ey + 0.012f, 0.026f, 0.0055f, false), eye);
        }
        c.fill(ellipse(0.5f + s * 0.125f, hy + 0.1f, 0.035f, 0.018f), blush_pink, 0.4f, 0.02f);
    }
    c.fill(arc(0.5f, hy + 0.095f, 0.028f, 0.005f, true), hex(0xC0504D));
    if (rng.chance(0.15)) { // glasses
        for (float s : {-1.f, 1.f})
            c.fill(
                [=](float x, float y) {
                    return std::abs(len(x - 0.5f - s * 0.085f, y - ey) - 0.052f) - 0.005f;
                },
                ink, 0.85f);
        c.fill(segment(0.467f, ey, 0.533f, ey, 0.005f), ink, 0.85f);
    }
}

void draw_animal(Canvas& c, Rng& rng, const Palette& p) {
    const float angle = static_cast<float>(rng.uniform(0.2, 1.2));
    c.background([&](float x, float y) {
        const float t = clamp01(x * std::sin(angle) + y * std::cos(angle));
        return blend(p[0], p[1], t);
    });
    const float step = 0.14f;
    for (int j = 0; j < 9; ++j)
        for (int i = 0; i < 9; ++i)
            c.fill(circle(static_cast<float>(i) * step + (j % 2 ? step / 2 : 0.f),
                          static_cast<float>(j) * step, 0.022f),
                   white, 0.35f);

    constexpr std::array furs{hex(0xF4A261), hex(0xB8B8C2), hex(0xF3E3C8),
                              hex(0x8D6E63), hex(0xFAFAFA), hex(0xE9C46A)};
    const Color fur = furs[rng.below(furs.size())];
    const Color inner = blend(fur, blush_pink, 0.6f);
    const int kind = rng.below(3); // cat, bear, bunny
    const float cy = 0.58f;
    const Color outline = blend(fur, ink, 0.25f);

    if (kind == 0) {
        for (float s : {-1.f, 1.f}) {
            c.fill(triangle(0.5f + s * 0.25f, cy - 0.08f, 0.5f + s * 0.22f, cy - 0.36f,
                            0.5f + s * 0.04f, cy - 0.22f, 0.015f),
                   outline);
            c.fill(triangle(0.5f + s * 0.24f, cy - 0.09f, 0.5f + s * 0.22f, cy - 0.34f,
                            0.5f + s * 0.06f, cy - 0.22f, 0.01f),
                   fur);
            c.fill(triangle(0.5f + s * 0.21f, cy - 0.15f, 0.5f + s * 0.2f, cy - 0.29f,
                            0.5f + s * 0.11f, cy - 0.21f),
                   inner);
        }
    } else if (kind == 1) {
        for (float s : {-1.f, 1.f}) {
            c.fill(circle(0.5f + s * 0.21f, cy - 0.21f, 0.105f), outline);
            c.fill(circle(0.5f + s * 0.21f, cy - 0.21f, 0.095f), fur);
            c.fill(circle(0.5f + s * 0.21f, cy - 0.21f, 0.055f), inner);
        }
    } else {
        for (float s : {-1.f, 1.f}) {
            c.fill(ellipse(0.5f + s * 0.11f, cy - 0.34f, 0.065f, 0.19f, s * 0.15f), outline);
            c.fill(ellipse(0.5f + s * 0.11f, cy - 0.34f, 0.057f, 0.18f, s * 0.15f), fur);
            c.fill(ellipse(0.5f + s * 0.11f, cy - 0.33f, 0.028f, 0.13f, s * 0.15f), inner);
        }
    }
    c.fill(ellipse(0.5f, cy, 0.31f, 0.28f), outline);
    c.fill(ellipse(0.5f, cy, 0.3f, 0.27f), fur);
    c.fill(ellipse(0.5f, cy + 0.1f, 0.12f, 0.085f), blend(fur, white, 0.6f));
    for (float s : {-1.f, 1.f}) {
        const float ex = 0.5f + s * 0.115f, ey = cy - 0.02f;
        c.fill(circle(ex, ey, 0.034f), ink);
        c.fill(circle(ex + 0.011f, ey - 0.012f, 0.012f), white);
        c.fill(ellipse(0.5f + s * 0.19f, cy + 0.08f, 0.04f, 0.02f), blush_pink, 0.45f, 0.02f);
        c.fill(arc(0.5f + s * 0.024f, cy + 0.085f, 0.024f, 0.0045f, true), ink, 0.9f);
        if (kind == 0)
            for (int k = 0; k < 2; ++k)
                c.fill(segment(0.5f + s * 0.15f, cy + 0.07f + static_cast<float>(k) * 0.03f,
                               0.5f + s * 0.32f, cy + 0.045f + static_cast<float>(k) * 0.055f,
                               0.003f),
                       blend(fur, ink, 0.55f), 0.7f);
    }
    c.fill(ellipse(0.5f, cy + 0.062f, 0.03f, 0.02f), kind == 1 ? ink : hex(0xE5989B));
}

void draw_landscape(Canvas& c, Rng& rng, const Palette& p) {
    const Color sky_top = blend(p[1], p[2], 0.35f);
    c.background([&](float, float y) { return blend(sky_top, p[0], clamp01(y / 0.7f)); });
    const float sx = static_cast<float>(rng.uniform(0.25, 0.75));
    const float sy = static_cast<float>(rng.uniform(0.22, 0.4));
    const float sr = static_cast<float>(rng.uniform(0.08, 0.12));
    const Color sun = blend(p[2], hex(0xFFF1C9), 0.4f);
    c.fill(circle(sx, sy, sr * 2.4f), blend(sun, white, 0.5f), 0.35f, 0.16f);
    c.fill(circle(sx, sy, sr), sun);

    const int layers = rng.between(3, 4);
    for (int i = 0; i < layers; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(layers - 1);
        const float base = 0.5f + static_cast<float>(i) * 0.11f;
        const float amp = 0.08f - static_cast<float>(i) * 0.012f;
        const float f1 = static_cast<float>(rng.uniform(4, 8)),
                    f2 = static_cast<float>(rng.uniform(9, 15));
        const float p1 = static_cast<float>(rng.uniform(0, 6.28)),
                    p2 = static_cast<float>(rng.uniform(0, 6.28));
        const Color colour = blend(blend(p[2], p[4], t), sky_top, (1.f - t) * 0.35f);
        c.fill(
            [=](float x, float y) {
                const float ridge =
                    base - amp * (0.7f * std::sin(x * f1 + p1) + 0.3f * std::sin(x * f2 + p2));
                return (ridge - y) * 0.7f;
            },
            colour);
    }
    if (rng.chance(0.6)) {
        for (int k = 0; k < 3; ++k) {
            const float bx = static_cast<float>(rng.uniform(0.15, 0.85));
            const float by = static_cast<float>(rng.uniform(0.12, 0.3));
            const float w = static_cast<float>(rng.uniform(0.018, 0.03));
            c.fill(segment(bx - w, by - w * 0.5f, bx, by, 0.004f), p[4], 0.75f);
            c.fill(segment(bx, by, bx + w, by - w * 0.5f, 0.004f), p[4], 0.75f);
        }
    }
    if (rng.chance(0.4)) {
        c.fill(box(0.5f, 0.93f, 0.6f, 0.09f), blend(p[1], p[3], 0.45f));
        for (int k = 0; k < 5; ++k) {
            const float y = 0.87f + static_cast<float>(k) * 0.025f;
            const float x = sx + static_cast<float>(rng.uniform(-0.05, 0.05));
            c.fill(box(x, y, 0.09f - static_cast<float>(k) * 0.012f, 0.004f, 0.004f), sun, 0.6f);
        }
    }
}

void draw_flower(Canvas& c, Rng& rng, const Palette& p) {
    c.background([&](float x, float y) {
        return blend(p[0], p[1], clamp01(len(x - 0.5f, y - 0.5f) / 0.7f));
    });
    for (int k = 0; k < 14; ++k)
        c.fill(circle(static_cast<float>(rng.unit()), static_cast<float>(rng.unit()),
                      static_cast<float>(rng.uniform(0.006, 0.018))),
               white, 0.55f);
    const Color leaf = rng.chance(0.5) ? hex(0x74C69D) : hex(0x52B788);
    for (int k = 0; k < 2; ++k) {
        const float a = static_cast<float>(rng.uniform(0.3, 2.8));
        c.fill(ellipse(0.5f + std::cos(a) * 0.3f, 0.5f + std::sin(a) * 0.3f, 0.16f, 0.06f, a),
               leaf);
    }
    const int n = rng.between(5, 8);
    const float a0 = static_cast<float>(rng.uniform(0, 6.28));
    const float width = 0.55f / static_cast<float>(n) + 0.03f;
    const Color petal = p[2];
    for (int k = 0; k < n; ++k) {
        const float a =
            a0 + static_cast<float>(k) * 2.f * std::numbers::pi_v<float> / static_cast<float>(n);
        c.fill(
            ellipse(0.5f + std::cos(a) * 0.2f, 0.5f + std::sin(a) * 0.2f, 0.21f, width + 0.01f, a),
            blend(petal, p[3], 0.5f), 0.45f, 0.02f);
        c.fill(ellipse(0.5f + std::cos(a) * 0.19f, 0.5f + std::sin(a) * 0.19f, 0.2f, width, a),
               petal);
    }
    for (int k = 0; k < n; ++k) {
        const float a = a0 + (static_cast<float>(k) + 0.5f) * 2.f * std::numbers::pi_v<float> /
                                 static_cast<float>(n);
        c.fill(
            ellipse(0.5f + std::cos(a) * 0.11f, 0.5f + std::sin(a) * 0.11f, 0.12f, width * 0.6f, a),
            blend(petal, white, 0.45f));
    }
    const Color heart = rng.chance(0.5) ? hex(0xF6C453) : p[3];
    c.fill(circle(0.5f, 0.5f, 0.075f), heart);
    for (int k = 0; k < 9; ++k) {
        const float a = static_cast<float>(k) * 2.f * std::numbers::pi_v<float> / 9.f;
        c.fill(circle(0.5f + std::cos(a) * 0.045f, 0.5f + std::sin(a) * 0.045f, 0.009f),
               blend(heart, ink, 0.3f));
    }
}

void draw_tiles(Canvas& c, Rng& rng, const Palette& p) {
    const int n = rng.between(2, 3);
    const float t = 1.f / static_cast<float>(n);
    const std::array<Color, 5> colours{hex(0xFFF8EE), p[1], p[2], p[3], p[4]};
    std::array<int, 9> bg{}, fg{}, motif{}, corner{};
    for (int k = 0; k < n * n; ++k) {
        bg[k] = rng.below(5);
        fg[k] = (bg[k] + 1 + rng.below(4)) % 5;
        motif[k] = rng.below(4);
        corner[k] = rng.below(4);
    }
    auto tile_of = [=](float x, float y) {
        const int i = std::min(n - 1, static_cast<int>(x * static_cast<float>(n)));
        const int j = std::min(n - 1, static_cast<int>(y * static_cast<float>(n)));
        return j * n + i;
    };
    c.background([&](float x, float y) { return colours[bg[tile_of(x, y)]]; });
    for (int k = 0; k < n * n; ++k) {
        const float x0 = static_cast<float>(k % n) * t, y0 = static_cast<float>(k / n) * t;
        const float cx = x0 + ((corner[k] & 1) ? t : 0.f), cy = y0 + ((corner[k] & 2) ? t : 0.f);
        const int m = motif[k];
        c.fill(
            [=](float x, float y) {
                if (tile_of(x, y) != k)
                    return 1.f;
                switch (m) {
                case 0: // quarter circle from a corner
                    return circle(cx, cy, t * 0.95f)(x, y);
                case 1: // half circle on an edge
                    return circle(x0 + t / 2, cy, t / 2)(x, y);
                case 2: { // ring with a dot
                    const float d = len(x - x0 - t / 2, y - y0 - t / 2);
                    return std::min(std::abs(d - t * 0.3f) - t * 0.08f, d - t * 0.08f);
                }
                default: // half the tile along a diagonal
                    return ((corner[k] & 1) ? 1.f : -1.f) * ((x - x0) - (y - y0)) * 0.7f;
                }
            },
            colours[fg[k]]);
    }
}

void draw_night(Canvas& c, Rng& rng, const Palette& p) {
    const Color top = blend(p[4], ink, 0.3f), bottom = blend(p[3], p[2], 0.3f);
    c.background([&](float, float y) { return blend(top, bottom, y * y); });
    for (int k = 0; k < 45; ++k) {
        const float x = static_cast<float>(rng.unit()), y = static_cast<float>(rng.unit()) * 0.75f;
        const float r = static_cast<float>(rng.uniform(0.002, 0.006));
        if (rng.chance(0.15))
            c.fill(circle(x, y, r * 3.f), white, 0.2f, 0.01f);
        c.fill(circle(x, y, r), white, static_cast<float>(rng.uniform(0.4, 1.0)));
    }
    const Color moon = hex(0xFFF3C4);
    const float mx = static_cast<float>(rng.uniform(0.3, 0.7)),
                my = static_cast<float>(rng.uniform(0.25, 0.4));
    const float mr = static_cast<float>(rng.uniform(0.1, 0.15));
    c.fill(circle(mx, my, mr * 1.9f), moon, 0.16f, 0.12f);
    if (rng.chance(0.6)) {
        c.fill(
            [=](float x, float y) {
                return std::max(circle(mx, my, mr)(x, y),
                                -circle(mx + mr * 0.45f, my - mr * 0.25f, mr * 0.9f)(x, y));
            },
            moon);
    } else {
        c.fill(circle(mx, my, mr), moon);
        for (int k = 0; k < 3; ++k)
            c.fill(circle(mx + static_cast<float>(rng.uniform(-0.5, 0.5)) * mr,
                          my + static_cast<float>(rng.uniform(-0.5, 0.5)) * mr, mr * 0.18f),
                   hex(0xD9C98F), 0.35f);
    }
    const Color far_cloud = blend(p[2], white, 0.25f), near_cloud = blend(p[1], white, 0.5f);
    for (const auto& [base, colour] : {std::pair{0.82f, far_cloud}, std::pair{0.92f, near_cloud}}) {
        std::array<std::array<float, 3>, 6> puffs{};
        for (auto& puff : puffs)
            puff = {static_cast<float>(rng.uniform(0.0, 1.0)),
                    base + static_cast<float>(rng.uniform(-0.03, 0.03)),
                    static_cast<float>(rng.uniform(0.09, 0.16))};
        c.fill(
            [=](float x, float y) {
                float d = y < base + 0.02f ? 1.f : base + 0.02f - y;
                for (const auto& q : puffs)
                    d = std::min(d, len(x - q[0], y - q[1]) - q[2]);
                return d;
            },
            colour, 0.95f);
    }
}

// ---- encoding -----------------------------------------------------------------

struct JpegJob {
    jpeg_error_mgr mgr; // first: libjpeg hands it back as the error pointer
    std::jmp_buf jump;
    unsigned char* out = nullptr;
    unsigned long size = 0;
};

std::string encode_jpeg(const std::string& rgb, int width, int height) {
    JpegJob job{};
    jpeg_compress_struct cinfo{};
    cinfo.err = jpeg_std_error(&job.mgr);
    job.mgr.error_exit = [](j_common_ptr info) {
        std::longjmp(reinterpret_cast<JpegJob*>(info->err)->jump, 1);
    };
    if (setjmp(job.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(job.out);
        return {};
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &job.out, &job.size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = reinterpret_cast<JSAMPLE*>(const_cast<char*>(rgb.data())) +
                    static_cast<std::size_t>(cinfo.next_scanline) * width * 3;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(job.out), job.size);
    std::free(job.out);
    return bytes;
}

std::string encode_png(const std::string& rgb, int width, int height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_get_memory_size(image, size, 0, rgb.data(), 0, nullptr))
        return {};
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr))
        return {};
    bytes.resize(size);
    return bytes;
}

// ---- addresses ----------------------------------------------------------------

const char* extension(PictureFormat f) {
    return f == PictureFormat::png ? "png" : "jpg";
}

bool parse_int(std::string_view s, int& value) {
    if (s.empty() || s.size() > 9 || s.front() == '0')
        return false;
    const auto [end, err] = std::from_chars(s.data(), s.data() + s.size(), value);
    return err == std::errc{} && end == s.data() + s.size();
}

bool album_exists(int id) {
    return id >= first_album_id && id <= last_album_id;
}

} // namespace

std::string thumbnail_path(int album_id) {
    return "/pic/thumb/" + std::to_string(album_id) + "." +
           extension(thumbnail_spec(album_id).format);
}

std::string avatar_path(int album_id, int page, int index) {
    return "/pic/" + std::to_string(album_id) + "/" + std::to_string(page) + "_" +
           std::to_string(index) + "." + extension(avatar_spec(album_id, page, index).format);
}

PictureSpec avatar_spec(int album_id, int page, int index) {
    const std::uint64_t seed =
        mix(mix(fnv1a("avatar"), static_cast<std::uint64_t>(album_id)),
            static_cast<std::uint64_t>(page) * 1000 + static_cast<std::uint64_t>(index));
    Rng rng(seed);
    PictureSpec spec;
    spec.format = rng.below(4) == 0 ? PictureFormat::png : PictureFormat::jpeg;
    const int roll = rng.below(100);
    spec.width = spec.height = roll < 70 ? 200 : roll < 85 ? 150 : 100;
    spec.style = album(album_id).style;
    spec.seed = seed;
    return spec;
}

PictureSpec thumbnail_spec(int album_id) {
    Rng rng(mix(fnv1a("thumb"), static_cast<std::uint64_t>(album_id)));
    constexpr std::array sizes{120, 120, 120, 120, 150, 160, 180};
    PictureSpec spec = avatar_spec(album_id, 1, 1);
    spec.format = rng.below(4) == 0 ? PictureFormat::png : PictureFormat::jpeg;
    spec.width = spec.height = sizes[rng.below(sizes.size())];
    return spec;
}

std::optional<PictureSpec> picture_spec(std::string_view path) {
    constexpr std::string_view root = "/pic/";
    if (!path.starts_with(root))
        return std::nullopt;
    path.remove_prefix(root.size());
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    const std::string_view ext = path.substr(dot + 1);
    path = path.substr(0, dot);
    std::optional<PictureSpec> spec;
    int id = 0;
    if (path.starts_with("thumb/")) {
        if (parse_int(path.substr(6), id) && album_exists(id))
            spec = thumbnail_spec(id);
    } else {
        const auto slash = path.find('/');
        const auto underscore = path.find('_');
        int page = 0, index = 0;
        if (slash != std::string_view::npos && underscore != std::string_view::npos &&
            underscore > slash && parse_int(path.substr(0, slash), id) && album_exists(id) &&
            parse_int(path.substr(slash + 1, underscore - slash - 1), page) &&
            parse_int(path.substr(underscore + 1), index)) {
            const Album a = album(id);
            if (page <= a.page_count() && index <= a.images_per_page[page - 1])
                spec = avatar_spec(id, page, index);
        }
    }
    if (!spec || ext != extension(spec->format))
        return std::nullopt;
    return spec;
}

std::string render_rgb(const PictureSpec& spec) {
    Canvas canvas(spec.width, spec.height);
    Rng rng(spec.seed);
    const Palette& palette = palettes()[rng.below(static_cast<int>(palettes().size()))];
    switch (spec.style) {
    case Style::face:
        draw_face(canvas, rng, palette);
        break;
    case Style::animal:
        draw_animal(canvas, rng, palette);
        break;
    case Style::landscape:
        draw_landscape(canvas, rng, palette);
        break;
    case Style::flower:
        draw_flower(canvas, rng, palette);
        break;
    case Style::tiles:
        draw_tiles(canvas, rng, palette);
        break;
    case Style::night:
        draw_night(canvas, rng, palette);
        break;
    }
    return canvas.rgb();
}

std::string picture(const PictureSpec& spec) {
    const std::string rgb = render_rgb(spec);
    return spec.format == PictureFormat::png ? encode_png(rgb, spec.width, spec.height)
                                             : encode_jpeg(rgb, spec.width, spec.height);
}

} // namespace lumikko::demo
