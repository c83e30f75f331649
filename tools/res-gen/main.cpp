// lumikko-res-gen: draws every built-in picture of Lumikko (icon, logo, button pictures at 1x
// and 2x, sample avatars, the grid placeholder) into a folder.
//
//   QT_QPA_PLATFORM=offscreen lumikko-res-gen <output folder>
//
// Everything is drawn in logical pixels; the 2x pictures come from the same drawing code on an
// image with device pixel ratio 2, so both sizes stay in step.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const QString font_family = QStringLiteral("WenQuanYi Micro Hei");

// One palette for the whole program.
const QColor bar_bg(72, 72, 72);     // side bar and window chrome
const QColor page_bg(243, 243, 243); // content pages and the preview canvas
const QColor accent(41, 112, 230);   // the one accent colour
const QColor accent_dark(29, 88, 196);
const QColor accent_tint(232, 240, 253);
const QColor accent_line(170, 198, 245);
const QColor card_line(216, 218, 224);
const QColor text_dark(44, 46, 52);
const QColor text_mid(98, 102, 112);
const QColor side_text(222, 224, 228);
const QColor danger(229, 72, 77);
const QColor danger_dark(184, 44, 50);
const QColor chrome_hover(98, 98, 98);
const QColor chrome_pressed(54, 54, 54);
const QColor chrome_glyph(226, 226, 226);

using Draw = std::function<void(QPainter&)>;

QFont ui_font(int pixels) {
    QFont f(font_family);
    f.setPixelSize(pixels);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QImage render(QSize size, qreal scale, const QColor& bg, const Draw& draw, bool alpha = false) {
    QImage img(size * scale, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    img.setDevicePixelRatio(scale);
    img.fill(alpha ? QColor(Qt::transparent) : bg);
    {
        QPainter p(&img);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
        draw(p);
    }
    img.setDevicePixelRatio(1);
    return img;
}

void fill_round(QPainter& p, const QRectF& r, qreal radius, const QColor& fill,
                const QColor& line = QColor()) {
    p.save();
    if (line.isValid()) {
        p.setPen(QPen(line, 1));
    } else {
        p.setPen(Qt::NoPen);
    }
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
    p.restore();
}

void stroke_path(QPainter& p, const QPainterPath& path, const QColor& c, qreal width) {
    p.save();
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.restore();
}

void fill_path(QPainter& p, const QPainterPath& path, const QColor& c) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
    p.restore();
}

void text(QPainter& p, const QRectF& r, const QString& s, int pixels, const QColor& c,
          int flags = Qt::AlignCenter) {
    p.save();
    p.setFont(ui_font(pixels));
    p.setPen(c);
    p.drawText(r, flags, s);
    p.restore();
}

qreal text_width(const QString& s, int pixels) {
    return QFontMetricsF(ui_font(pixels)).horizontalAdvance(s);
}

// A chevron pointing left (dir -1) or right (dir +1), centred on c.
QPainterPath chevron(QPointF c, qreal half_height, int dir) {
    const qreal w = half_height * 0.62;
    QPainterPath path;
    path.moveTo(c.x() - dir * w / 2, c.y() - half_height);
    path.lineTo(c.x() + dir * w / 2, c.y());
    path.lineTo(c.x() - dir * w / 2, c.y() + half_height);
    return path;
}

// An icon of width icon_w followed by a label, centred together in r.
void icon_and_label(QPainter& p, const QRectF& r, qreal icon_w, qreal gap, const QString& label,
                    int pixels, const QColor& c, const std::function<void(QPointF)>& icon) {
    const qreal total = icon_w + gap + text_width(label, pixels);
    const qreal x0 = r.center().x() - total / 2;
    icon(QPointF(x0 + icon_w / 2, r.center().y()));
    text(p, QRectF(x0 + icon_w + gap, r.top(), total, r.height()), label, pixels, c,
         Qt::AlignLeft | Qt::AlignVCenter);
}

// ---------------------------------------------------------------------------------------------
// The mascot: a snow-white weasel head (lumikko is Finnish for weasel), drawn in a 100x100 box.

void weasel_head(QPainter& p, bool whiskers) {
    const QColor fur(255, 255, 255);
    const QColor shade(226, 232, 242);
    const QColor inner(246, 178, 190);
    const QColor ink(38, 42, 54);
    p.save();
    p.setPen(Qt::NoPen);
    // Ears: small, round and set wide and low, as a weasel's are.
    for (int side : {-1, 1}) {
        p.setBrush(fur);
        p.drawEllipse(QPointF(50 + side * 31, 36), 11, 11);
        p.setBrush(inner);
        p.drawEllipse(QPointF(50 + side * 31, 37), 5.5, 5.5);
    }
    // Head: a broad brow tapering to a narrow snout.
    QPainterPath head;
    head.moveTo(50, 24);
    head.cubicTo(76, 24, 90, 40, 86, 54);
    head.cubicTo(82, 68, 62, 76, 56, 86);
    head.cubicTo(54, 90, 46, 90, 44, 86);
    head.cubicTo(38, 76, 18, 68, 14, 54);
    head.cubicTo(10, 40, 24, 24, 50, 24);
    p.setBrush(fur);
    p.drawPath(head);
    // A soft shade along the jaw keeps the white head from looking flat on light ground.
    QPainterPath jaw;
    jaw.moveTo(36, 76);
    jaw.cubicTo(42, 80, 44, 84, 46, 88);
    jaw.cubicTo(48, 89.5, 52, 89.5, 54, 88);
    jaw.cubicTo(56, 84, 58, 80, 64, 76);
    jaw.cubicTo(58, 84, 56, 90, 50, 90);
    jaw.cubicTo(44, 90, 42, 84, 36, 76);
    p.setBrush(shade);
    p.drawPath(jaw);
    // Eyes with a glint, blush, nose at the tip of the snout, mouth.
    for (int side : {-1, 1}) {
        p.setBrush(ink);
        p.drawEllipse(QPointF(50 + side * 16, 52), 5.2, 5.8);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(50 + side * 16 + 1.6, 50), 1.7, 1.7);
        p.setBrush(QColor(250, 196, 204));
        p.drawEllipse(QPointF(50 + side * 25, 63), 5, 3);
    }
    QPainterPath nose;
    nose.moveTo(44.5, 70);
    nose.quadTo(50, 67.5, 55.5, 70);
    nose.quadTo(54, 75, 50, 76);
    nose.quadTo(46, 75, 44.5, 70);
    p.setBrush(ink);
    p.drawPath(nose);
    QPainterPath mouth;
    mouth.moveTo(45, 79);
    mouth.quadTo(47.5, 82, 50, 78);
    mouth.quadTo(52.5, 82, 55, 79);
    stroke_path(p, mouth, ink, 1.8);
    if (whiskers) {
        for (int side : {-1, 1}) {
            QPainterPath w;
            w.moveTo(50 + side * 12, 72);
            w.lineTo(50 + side * 34, 68);
            w.moveTo(50 + side * 12, 75);
            w.lineTo(50 + side * 33, 77);
            stroke_path(p, w, QColor(176, 182, 196), 1.2);
        }
    }
    p.restore();
}

void draw_icon(QPainter& p) {
    fill_round(p, QRectF(2, 2, 44, 44), 11, accent);
    p.save();
    p.translate(5, 4);
    p.scale(0.38, 0.38);
    weasel_head(p, false);
    p.restore();
}

// ---------------------------------------------------------------------------------------------
// Sample avatars: flat animal faces, each on its own pastel ground. The album page shows only
// the top-left 150x150 of each, so every face stays inside that square.

struct Ink {
    QColor eye{40, 42, 52};
    QColor blush{250, 170, 170, 150};
};

void dot(QPainter& p, QPointF c, qreal rx, qreal ry, const QColor& col) {
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawEllipse(c, rx, ry);
}

void eyes(QPainter& p, QPointF c, qreal dx, qreal r, const QColor& col = Ink().eye) {
    for (int side : {-1, 1}) {
        dot(p, QPointF(c.x() + side * dx, c.y()), r, r * 1.1, col);
        dot(p, QPointF(c.x() + side * dx + r * 0.35, c.y() - r * 0.4), r * 0.33, r * 0.33,
            Qt::white);
    }
}

void blush(QPainter& p, QPointF c, qreal dx) {
    for (int side : {-1, 1}) {
        dot(p, QPointF(c.x() + side * dx, c.y()), 7, 4.2, Ink().blush);
    }
}

QPainterPath triangle(QPointF a, QPointF b, QPointF c) {
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(b);
    path.lineTo(c);
    path.closeSubpath();
    return path;
}

void smile(QPainter& p, QPointF c, qreal w, const QColor& col = Ink().eye) {
    QPainterPath m;
    m.moveTo(c.x() - w, c.y());
    m.quadTo(c.x() - w / 2, c.y() + w * 0.7, c.x(), c.y());
    m.quadTo(c.x() + w / 2, c.y() + w * 0.7, c.x() + w, c.y());
    stroke_path(p, m, col, 2.2);
}

const QPointF face_centre(78, 84);

void sample_cat(QPainter& p) {
    const QColor fur(246, 164, 92), inner(252, 206, 196);
    const QPointF c = face_centre;
    for (int side : {-1, 1}) {
        fill_path(p,
                  triangle({c.x() + side * 48, c.y() - 8}, {c.x() + side * 40, c.y() - 66},
                           {c.x() + side * 6, c.y() - 38}),
                  fur);
        fill_path(p,
                  triangle({c.x() + side * 38, c.y() - 22}, {c.x() + side * 36, c.y() - 54},
                           {c.x() + side * 16, c.y() - 36}),
                  inner);
    }
    dot(p, c, 52, 44, fur);
    fill_path(p, triangle({c.x() - 8, c.y() - 42}, {c.x() + 8, c.y() - 42}, {c.x(), c.y() - 26}),
              QColor(224, 138, 70));
    dot(p, {c.x(), c.y() + 16}, 20, 13, QColor(255, 246, 236));
    eyes(p, {c.x(), c.y() - 4}, 20, 5.5);
    fill_path(p, triangle({c.x() - 5, c.y() + 7}, {c.x() + 5, c.y() + 7}, {c.x(), c.y() + 12}),
              QColor(232, 110, 120));
    smile(p, {c.x(), c.y() + 15}, 6);
    for (int side : {-1, 1}) {
        QPainterPath w;
        w.moveTo(c.x() + side * 26, c.y() + 10);
        w.lineTo(c.x() + side * 46, c.y() + 6);
        w.moveTo(c.x() + side * 26, c.y() + 16);
        w.lineTo(c.x() + side * 46, c.y() + 18);
        stroke_path(p, w, QColor(150, 96, 60), 1.6);
    }
    blush(p, {c.x(), c.y() + 8}, 32);
}

void sample_bear(QPainter& p) {
    const QColor fur(164, 114, 80), inner(216, 172, 134);
    const QPointF c = face_centre;
    for (int side : {-1, 1}) {
        dot(p, {c.x() + side * 36, c.y() - 36}, 17, 17, fur);
        dot(p, {c.x() + side * 36, c.y() - 35}, 9, 9, inner);
    }
    dot(p, c, 50, 45, fur);
    dot(p, {c.x(), c.y() + 15}, 22, 16, QColor(236, 206, 170));
    eyes(p, {c.x(), c.y() - 6}, 19, 5.5);
    dot(p, {c.x(), c.y() + 8}, 8, 5.5, Ink().eye);
    smile(p, {c.x(), c.y() + 17}, 6);
    blush(p, {c.x(), c.y() + 6}, 33);
}

void sample_fox(QPainter& p) {
    const QColor fur(240, 124, 58), cream(255, 246, 234), tip(70, 58, 58);
    const QPointF c = face_centre;
    for (int side : {-1, 1}) {
        fill_path(p,
                  triangle({c.x() + side * 50, c.y() - 10}, {c.x() + side * 42, c.y() - 72},
                           {c.x() + side * 8, c.y() - 36}),
                  fur);
        fill_path(p,
                  triangle({c.x() + side * 44.8, c.y() - 51}, {c.x() + side * 42, c.y() - 72},
                           {c.x() + side * 31, c.y() - 59}),
                  tip);
        fill_path(p,
                  triangle({c.x() + side * 40, c.y() - 22}, {c.x() + side * 39, c.y() - 54},
                           {c.x() + side * 18, c.y() - 36}),
                  cream);
    }
    QPainterPath head;
    head.moveTo(c.x() - 52, c.y() - 6);
    head.cubicTo(c.x() - 50, c.y() - 46, c.x() + 50, c.y() - 46, c.x() + 52, c.y() - 6);
    head.cubicTo(c.x() + 46, c.y() + 20, c.x() + 16, c.y() + 42, c.x(), c.y() + 44);
    head.cubicTo(c.x() - 16, c.y() + 42, c.x() - 46, c.y() + 20, c.x() - 52, c.y() - 6);
    fill_path(p, head, fur);
    QPainterPath cheeks;
    cheeks.moveTo(c.x() - 52, c.y() - 4);
    cheeks.cubicTo(c.x() - 30, c.y() + 4, c.x() - 12, c.y() + 2, c.x(), c.y() + 8);
    cheeks.cubicTo(c.x() + 12, c.y() + 2, c.x() + 30, c.y() + 4, c.x() + 52, c.y() - 4);
    cheeks.cubicTo(c.x() + 46, c.y() + 20, c.x() + 16, c.y() + 42, c.x(), c.y() + 44);
    cheeks.cubicTo(c.x() - 16, c.y() + 42, c.x() - 46, c.y() + 20, c.x() - 52, c.y() - 4);
    fill_path(p, cheeks, cream);
    eyes(p, {c.x(), c.y() - 10}, 20, 5.5);
    dot(p, {c.x(), c.y() + 30}, 6.5, 5, Ink().eye);
    blush(p, {c.x(), c.y() + 10}, 30);
}

void sample_rabbit(QPainter& p) {
    const QColor fur(255, 255, 255), inner(250, 184, 196), line(236, 220, 226);
    const QPointF c = face_centre + QPointF(0, 16);
    for (int side : {-1, 1}) {
        p.save();
        p.translate(c.x() + side * 20, c.y() - 34);
        p.rotate(side * 10);
        fill_round(p, QRectF(-12, -56, 24, 60), 12, fur, line);
        fill_round(p, QRectF(-6, -48, 12, 44), 6, inner);
        p.restore();
    }
    p.save();
    p.setPen(QPen(line, 1));
    p.setBrush(fur);
    p.drawEllipse(c, 48, 40);
    p.restore();
    eyes(p, {c.x(), c.y() - 4}, 19, 5.5);
    dot(p, {c.x(), c.y() + 8}, 5, 3.6, QColor(238, 120, 140));
    smile(p, {c.x(), c.y() + 13}, 5.5);
    blush(p, {c.x(), c.y() + 8}, 30);
}

void sample_panda(QPainter& p) {
    const QColor black(48, 50, 58), white(255, 255, 255);
    const QPointF c = face_centre;
    for (int side : {-1, 1}) {
        dot(p, {c.x() + side * 38, c.y() - 36}, 16, 16, black);
    }
    dot(p, c, 52, 46, white);
    for (int side : {-1, 1}) {
        p.save();
        p.translate(c.x() + side * 20, c.y() - 2);
        p.rotate(side * -30);
        dot(p, {0, 0}, 10, 14, black);
        p.restore();
        dot(p, {c.x() + side * 19, c.y() - 4}, 4.5, 4.5, white);
        dot(p, {c.x() + side * 19, c.y() - 4}, 2.5, 2.5, black);
    }
    dot(p, {c.x(), c.y() + 14}, 7, 5, black);
    smile(p, {c.x(), c.y() + 22}, 6, black);
    blush(p, {c.x(), c.y() + 16}, 34);
}

void sample_penguin(QPainter& p) {
    const QColor dark(52, 62, 84), white(255, 255, 255), beak(248, 170, 60);
    const QPointF c = face_centre;
    dot(p, c, 52, 50, dark);
    QPainterPath mask;
    mask.addEllipse(QPointF(c.x() - 18, c.y() + 6), 26, 30);
    mask.addEllipse(QPointF(c.x() + 18, c.y() + 6), 26, 30);
    mask.setFillRule(Qt::WindingFill);
    fill_path(p, mask.simplified(), white);
    eyes(p, {c.x(), c.y() - 2}, 17, 5.5);
    QPainterPath b;
    b.moveTo(c.x() - 9, c.y() + 10);
    b.quadTo(c.x(), c.y() + 6, c.x() + 9, c.y() + 10);
    b.quadTo(c.x(), c.y() + 24, c.x() - 9, c.y() + 10);
    fill_path(p, b, beak);
    blush(p, {c.x(), c.y() + 16}, 28);
}

void sample_weasel(QPainter& p) {
    p.save();
    p.translate(face_centre.x() - 62, face_centre.y() - 70);
    p.scale(1.24, 1.24);
    weasel_head(p, true);
    p.restore();
}

void sample_koala(QPainter& p) {
    const QColor fur(150, 158, 172), fluff(232, 234, 240);
    const QPointF c = face_centre;
    for (int side : {-1, 1}) {
        dot(p, {c.x() + side * 46, c.y() - 26}, 24, 24, fur);
        dot(p, {c.x() + side * 46, c.y() - 24}, 14, 14, fluff);
    }
    dot(p, c, 48, 42, fur);
    eyes(p, {c.x(), c.y() - 6}, 20, 5);
    dot(p, {c.x(), c.y() + 8}, 10, 14, QColor(60, 62, 72));
    dot(p, {c.x() - 3, c.y() + 1}, 2.5, 3.5, QColor(120, 124, 136));
    blush(p, {c.x(), c.y() + 14}, 31);
}

void sample_chick(QPainter& p) {
    const QColor yellow(255, 212, 84), beak(246, 146, 60), tuft(250, 190, 60);
    const QPointF c = face_centre + QPointF(0, 6);
    for (int i : {-1, 0, 1}) {
        p.save();
        p.translate(c.x() + i * 8, c.y() - 46);
        p.rotate(i * 28);
        dot(p, {0, -8}, 5, 11, tuft);
        p.restore();
    }
    dot(p, c, 50, 48, yellow);
    eyes(p, {c.x(), c.y() - 6}, 18, 5.5);
    fill_path(p, triangle({c.x() - 9, c.y() + 6}, {c.x() + 9, c.y() + 6}, {c.x(), c.y() + 17}),
              beak);
    blush(p, {c.x(), c.y() + 10}, 30);
}

void sample_frog(QPainter& p) {
    const QColor green(120, 198, 112), dark_green(88, 160, 84);
    const QPointF c = face_centre + QPointF(0, 10);
    for (int side : {-1, 1}) {
        dot(p, {c.x() + side * 26, c.y() - 34}, 18, 18, green);
        dot(p, {c.x() + side * 26, c.y() - 35}, 11, 11, Qt::white);
        dot(p, {c.x() + side * 26, c.y() - 34}, 6, 6.5, Ink().eye);
        dot(p, {c.x() + side * 26 + 2, c.y() - 37}, 2, 2, Qt::white);
    }
    dot(p, c, 54, 38, green);
    QPainterPath mouth;
    mouth.moveTo(c.x() - 26, c.y() + 6);
    mouth.quadTo(c.x(), c.y() + 26, c.x() + 26, c.y() + 6);
    stroke_path(p, mouth, dark_green.darker(130), 2.6);
    dot(p, {c.x() - 5, c.y() - 8}, 1.8, 1.8, dark_green);
    dot(p, {c.x() + 5, c.y() - 8}, 1.8, 1.8, dark_green);
    blush(p, {c.x(), c.y() + 4}, 36);
}

void sample_dog(QPainter& p) {
    const QColor fur(238, 210, 168), ear(150, 104, 76), muzzle(255, 248, 238);
    const QPointF c = face_centre;
    dot(p, c, 46, 44, fur);
    for (int side : {-1, 1}) {
        p.save();
        p.translate(c.x() + side * 46, c.y() - 10);
        p.rotate(side * -18);
        dot(p, {0, 0}, 14, 32, ear);
        p.restore();
    }
    dot(p, {c.x() + 18, c.y() - 8}, 11, 11, QColor(220, 180, 136));
    dot(p, {c.x(), c.y() + 16}, 22, 16, muzzle);
    eyes(p, {c.x(), c.y() - 8}, 18, 5.5);
    dot(p, {c.x(), c.y() + 8}, 7.5, 5.5, Ink().eye);
    smile(p, {c.x(), c.y() + 17}, 6);
    dot(p, {c.x(), c.y() + 25}, 4, 4.5, QColor(240, 116, 126));
}

void sample_owl(QPainter& p) {
    const QColor body(146, 104, 82), disc(246, 228, 200), beak(244, 160, 56);
    const QPointF c = face_centre;
    for (int side : {-1, 1}) {
        fill_path(p,
                  triangle({c.x() + side * 44, c.y() - 24}, {c.x() + side * 44, c.y() - 62},
                           {c.x() + side * 16, c.y() - 40}),
                  body);
    }
    dot(p, c, 52, 48, body);
    for (int side : {-1, 1}) {
        dot(p, {c.x() + side * 21, c.y() - 4}, 20, 20, disc);
        dot(p, {c.x() + side * 21, c.y() - 4}, 9, 9, Ink().eye);
        dot(p, {c.x() + side * 21 + 3, c.y() - 8}, 3, 3, Qt::white);
    }
    fill_path(p, triangle({c.x() - 6, c.y() + 10}, {c.x() + 6, c.y() + 10}, {c.x(), c.y() + 22}),
              beak);
    for (int i = -1; i <= 1; ++i) {
        QPainterPath v;
        v.moveTo(c.x() + i * 14 - 5, c.y() + 30);
        v.lineTo(c.x() + i * 14, c.y() + 34);
        v.lineTo(c.x() + i * 14 + 5, c.y() + 30);
        stroke_path(p, v, body.lighter(140), 2);
    }
}

struct Sample {
    QColor ground;
    void (*draw)(QPainter&);
};

const std::vector<Sample>& samples() {
    static const std::vector<Sample> list = {
        {QColor(204, 236, 222), sample_cat},    {QColor(253, 234, 190), sample_bear},
        {QColor(206, 226, 250), sample_fox},    {QColor(252, 216, 226), sample_rabbit},
        {QColor(210, 236, 196), sample_panda},  {QColor(196, 230, 242), sample_penguin},
        {QColor(224, 216, 250), sample_weasel}, {QColor(255, 224, 204), sample_koala},
        {QColor(200, 224, 252), sample_chick},  {QColor(250, 240, 208), sample_frog},
        {QColor(232, 218, 246), sample_dog},    {QColor(196, 234, 224), sample_owl},
    };
    return list;
}

void draw_sample(QPainter& p, const Sample& s) {
    // A lighter disc behind the face gives the flat picture a little depth.
    dot(p, face_centre, 72, 72, s.ground.lighter(108));
    s.draw(p);
}

// ---------------------------------------------------------------------------------------------
// Buttons.

void cross(QPainter& p, QPointF c, qreal half, const QColor& col) {
    QPainterPath x;
    x.moveTo(c.x() - half, c.y() - half);
    x.lineTo(c.x() + half, c.y() + half);
    x.moveTo(c.x() + half, c.y() - half);
    x.lineTo(c.x() - half, c.y() + half);
    stroke_path(p, x, col, 1.8);
}

void minus(QPainter& p, QPointF c, qreal half, const QColor& col) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawRoundedRect(QRectF(c.x() - half, c.y() - 1, 2 * half, 2), 1, 1);
    p.restore();
}

void magnifier(QPainter& p, QPointF c, const QColor& col) {
    QPainterPath m;
    m.addEllipse(QPointF(c.x() - 1.5, c.y() - 1.5), 4.8, 4.8);
    m.moveTo(c.x() + 2.2, c.y() + 2.2);
    m.lineTo(c.x() + 5.6, c.y() + 5.6);
    stroke_path(p, m, col, 1.8);
}

void download_glyph(QPainter& p, QPointF c, const QColor& col) {
    QPainterPath d;
    d.moveTo(c.x(), c.y() - 6.5);
    d.lineTo(c.x(), c.y() + 2);
    d.moveTo(c.x() - 4, c.y() - 2);
    d.lineTo(c.x(), c.y() + 2);
    d.lineTo(c.x() + 4, c.y() - 2);
    d.moveTo(c.x() - 6.5, c.y() + 3);
    d.lineTo(c.x() - 6.5, c.y() + 6.5);
    d.lineTo(c.x() + 6.5, c.y() + 6.5);
    d.lineTo(c.x() + 6.5, c.y() + 3);
    stroke_path(p, d, col, 1.7);
}

void copy_glyph(QPainter& p, QPointF c, const QColor& col, const QColor& bg) {
    p.save();
    p.setPen(QPen(col, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(c.x() - 6.5, c.y() - 6.5, 9.5, 10), 2, 2);
    p.drawRoundedRect(QRectF(c.x() - 3, c.y() - 3, 9.5, 10), 2, 2);
    p.restore();
}

void star(QPainter& p, QPointF c, qreal r, const QColor& col) {
    QPainterPath s;
    for (int i = 0; i < 10; ++i) {
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        const qreal rr = (i % 2 == 0) ? r : r * 0.45;
        const QPointF pt(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a));
        if (i == 0) {
            s.moveTo(pt);
        } else {
            s.lineTo(pt);
        }
    }
    s.closeSubpath();
    p.save();
    p.setPen(QPen(col, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(col);
    p.drawPath(s);
    p.restore();
}

// A rounded "pill" filling the whole button, with a hairline on a light page.
QRectF pill_rect(QSize size) {
    return QRectF(0.5, 0.5, size.width() - 1, size.height() - 1);
}

struct Button {
    QString name;
    QSize size;
    QColor bg;
    Draw draw;
};

std::vector<Button> buttons() {
    std::vector<Button> list;
    const QSize chrome(32, 32);
    const QPointF mid(16, 16);
    const QRectF chrome_square(3, 3, 26, 26);

    list.push_back(
        {"close_normal", chrome, bar_bg, [=](QPainter& p) { cross(p, mid, 5, chrome_glyph); }});
    list.push_back({"close_hover", chrome, bar_bg, [=](QPainter& p) {
                        fill_round(p, chrome_square, 6, danger);
                        cross(p, mid, 5, Qt::white);
                    }});
    list.push_back({"close_pressed", chrome, bar_bg, [=](QPainter& p) {
                        fill_round(p, chrome_square, 6, danger_dark);
                        cross(p, mid, 5, QColor(255, 226, 228));
                    }});
    list.push_back(
        {"minimise_normal", chrome, bar_bg, [=](QPainter& p) { minus(p, mid, 6, chrome_glyph); }});
    list.push_back({"minimise_hover", chrome, bar_bg, [=](QPainter& p) {
                        fill_round(p, chrome_square, 6, chrome_hover);
                        minus(p, mid, 6, Qt::white);
                    }});
    list.push_back({"minimise_pressed", chrome, bar_bg, [=](QPainter& p) {
                        fill_round(p, chrome_square, 6, chrome_pressed);
                        minus(p, mid, 6, QColor(200, 200, 200));
                    }});

    const QStringList side = {"男生", "女生", "情侣", "动漫", "欧美", "热门", "标签"};
    const QSize side_size(64, 40);
    for (int i = 0; i < side.size(); ++i) {
        const QString word = side[i];
        const QString base = QStringLiteral("side%1_").arg(i + 1);
        list.push_back({base + "normal", side_size, bar_bg,
                        [=](QPainter& p) { text(p, QRectF(0, 0, 64, 40), word, 15, side_text); }});
        list.push_back({base + "pressed", side_size, bar_bg, [=](QPainter& p) {
                            fill_round(p, QRectF(4, 4, 56, 32), 7, accent);
                            text(p, QRectF(0, 0, 64, 40), word, 15, Qt::white);
                        }});
    }

    const QSize tile(120, 120);
    for (int dir : {-1, 1}) {
        const QString word = dir < 0 ? QStringLiteral("上一页") : QStringLiteral("下一页");
        list.push_back({dir < 0 ? "list_prev" : "list_next", tile, page_bg, [=](QPainter& p) {
                            fill_round(p, pill_rect(tile), 10, Qt::white, card_line);
                            dot(p, QPointF(60, 50), 26, 26, accent_tint);
                            stroke_path(p, chevron(QPointF(60 + dir * 1.5, 50), 11, dir), accent,
                                        3.2);
                            text(p, QRectF(0, 82, 120, 24), word, 14, text_mid);
                        }});
    }

    const QSize bar(318, 24);
    for (int dir : {-1, 1}) {
        const QString word = dir < 0 ? QStringLiteral("上一页") : QStringLiteral("下一页");
        list.push_back({dir < 0 ? "album_prev" : "album_next", bar, page_bg, [=](QPainter& p) {
                            fill_round(p, pill_rect(bar), 11.5, Qt::white, card_line);
                            const qreal tw = text_width(word, 13);
                            const qreal gap = 8, cw = 5;
                            const qreal x0 = 159 - (tw + gap + cw) / 2;
                            if (dir < 0) {
                                stroke_path(p, chevron(QPointF(x0 + cw / 2, 12), 4.5, -1), accent,
                                            1.8);
                                text(p, QRectF(x0 + cw + gap, 0, tw + 2, 24), word, 13, text_dark,
                                     Qt::AlignLeft | Qt::AlignVCenter);
                            } else {
                                text(p, QRectF(x0, 0, tw + 2, 24), word, 13, text_dark,
                                     Qt::AlignLeft | Qt::AlignVCenter);
                                stroke_path(p, chevron(QPointF(x0 + tw + gap + cw / 2, 12), 4.5, 1),
                                            accent, 1.8);
                            }
                        }});
    }

    const QStringList tags = {"小清新", "伤感", "唯美", "霸气",   "卡西欧", "姐妹",
                              "黑白",   "森系", "长发", "非主流", "精选",   "女神"};
    const QSize tag_size(136, 32);
    for (int i = 0; i < tags.size(); ++i) {
        const QString word = tags[i];
        const bool good = (i == 10); // the site's hand-picked list, set apart with a star
        list.push_back({QStringLiteral("tag%1").arg(i + 1), tag_size, page_bg, [=](QPainter& p) {
                            const QRectF r = pill_rect(tag_size);
                            if (good) {
                                fill_round(p, r, 15.5, accent_tint, accent_line);
                                icon_and_label(p, r, 12, 6, word, 14, accent_dark,
                                               [&](QPointF c) { star(p, c, 6, accent); });
                            } else {
                                fill_round(p, r, 15.5, Qt::white, card_line);
                                icon_and_label(p, r, 8, 5, word, 14, text_dark, [&](QPointF c) {
                                    text(p, QRectF(c.x() - 6, 0, 12, 32), "#", 14, accent);
                                });
                            }
                        }});
    }

    const QSize search_size(96, 32);
    list.push_back({"search", search_size, page_bg, [=](QPainter& p) {
                        const QRectF r = pill_rect(search_size);
                        fill_round(p, r, 15.5, accent);
                        icon_and_label(p, r, 12, 6, "搜索", 14, Qt::white,
                                       [&](QPointF c) { magnifier(p, c, Qt::white); });
                    }});

    const QSize action(114, 32);
    list.push_back({"save", action, page_bg, [=](QPainter& p) {
                        const QRectF r = pill_rect(action);
                        fill_round(p, r, 15.5, accent);
                        icon_and_label(p, r, 13, 6, "保存图片", 14, Qt::white,
                                       [&](QPointF c) { download_glyph(p, c, Qt::white); });
                    }});
    list.push_back({"copy", action, page_bg, [=](QPainter& p) {
                        const QRectF r = pill_rect(action);
                        fill_round(p, r, 15.5, Qt::white, card_line);
                        icon_and_label(p, r, 13, 6, "复制图片", 14, text_dark,
                                       [&](QPointF c) { copy_glyph(p, c, accent, Qt::white); });
                    }});
    return list;
}

// ---------------------------------------------------------------------------------------------
// The grid placeholder, written as a Windows BMP by hand: the program ships it as such, and
// Qt's own writer would be free to choose another header layout.

void put_u16(QByteArray& b, std::uint16_t v) {
    b.append(char(v & 0xff));
    b.append(char((v >> 8) & 0xff));
}

void put_u32(QByteArray& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.append(char((v >> (8 * i)) & 0xff));
    }
}

QByteArray bmp_24(const QImage& source) {
    const QImage img = source.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const int row = (w * 3 + 3) / 4 * 4;
    const std::uint32_t pixels = std::uint32_t(row) * std::uint32_t(h);
    QByteArray b;
    b.reserve(54 + int(pixels));
    // BITMAPFILEHEADER
    b.append("BM", 2);
    put_u32(b, 54 + pixels);
    put_u16(b, 0);
    put_u16(b, 0);
    put_u32(b, 54);
    // BITMAPINFOHEADER
    put_u32(b, 40);
    put_u32(b, std::uint32_t(w));
    put_u32(b, std::uint32_t(h)); // positive: rows run bottom-up
    put_u16(b, 1);
    put_u16(b, 24);
    put_u32(b, 0); // BI_RGB
    put_u32(b, pixels);
    put_u32(b, 2835); // 72 dpi
    put_u32(b, 2835);
    put_u32(b, 0);
    put_u32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            b.append(char(qBlue(line[x])));
            b.append(char(qGreen(line[x])));
            b.append(char(qRed(line[x])));
        }
        for (int pad = w * 3; pad < row; ++pad) {
            b.append('\0');
        }
    }
    return b;
}

void draw_picture_symbol(QPainter& p) {
    // A framed landscape: sky, sun and two hills, 20x20.
    p.save();
    p.setClipRect(QRectF(0, 0, 20, 20));
    fill_round(p, QRectF(1.5, 3.5, 17, 13), 2, QColor(238, 243, 252), QColor(160, 170, 188));
    dot(p, QPointF(13.5, 7.5), 1.8, 1.8, QColor(246, 184, 64));
    QPainterPath hills;
    hills.moveTo(2, 16);
    hills.lineTo(7.5, 9.5);
    hills.lineTo(11, 13.5);
    hills.lineTo(13, 11.5);
    hills.lineTo(18, 16);
    hills.closeSubpath();
    fill_path(p, hills, QColor(130, 152, 190));
    p.restore();
}

// ---------------------------------------------------------------------------------------------

class Writer {
public:
    explicit Writer(QDir root)
        : root_(std::move(root)) {}

    void image(const QString& rel, const QImage& img, const char* format, int quality = -1) {
        const QString path = root_.filePath(rel);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!img.save(path, format, quality)) {
            fail(path);
        } else {
            done(rel);
        }
    }

    void bytes(const QString& rel, const QByteArray& data) {
        const QString path = root_.filePath(rel);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size()) {
            fail(path);
        } else {
            done(rel);
        }
    }

    // 1x and 2x of one picture.
    void both(const QString& rel_base, QSize size, const QColor& bg, const Draw& draw,
              bool alpha = false) {
        image(rel_base + ".png", render(size, 1, bg, draw, alpha), "PNG");
        image(rel_base + "@2x.png", render(size, 2, bg, draw, alpha), "PNG");
    }

    bool ok() const { return ok_; }

private:
    void fail(const QString& path) {
        std::fprintf(stderr, "lumikko-res-gen: cannot write %s\n", qPrintable(path));
        ok_ = false;
    }
    void done(const QString& rel) { std::printf("%s\n", qPrintable(rel)); }

    QDir root_;
    bool ok_ = true;
};

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    // Without the intended font the Chinese labels would come out as boxes or in a stand-in face.
    if (!QFontInfo(ui_font(14)).family().startsWith(font_family, Qt::CaseInsensitive)) {
        std::fprintf(stderr,
                     "lumikko-res-gen: font \"%s\" not found (install fonts-wqy-microhei)\n",
                     qPrintable(font_family));
        return 1;
    }

    Writer out{QDir(QString::fromLocal8Bit(argv[1]))};

    out.both("icon", QSize(48, 48), Qt::transparent, draw_icon, true);

    // The logo is stretched from 128x125 into a 64x64 box; drawing it squeezed by 125/128
    // keeps the mascot round on screen. The corners take the side bar's colour so the rounded
    // square seems to sit on the bar itself.
    out.image("logo.jpg",
              render(QSize(128, 125), 1, bar_bg,
                     [](QPainter& p) {
                         p.scale(1.0, 125.0 / 128.0);
                         fill_round(p, QRectF(6, 6, 116, 116), 26, accent);
                         p.translate(14, 12);
                         weasel_head(p, false);
                     }),
              "JPG", 95);

    const auto& list = samples();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Sample& s = list[i];
        out.image(QStringLiteral("samples/sample%1.jpg").arg(int(i + 1), 2, 10, QChar('0')),
                  render(QSize(200, 200), 1, s.ground, [&](QPainter& p) { draw_sample(p, s); }),
                  "JPG", 92);
    }

    {
        QImage placeholder(120, 120, QImage::Format_RGB32);
        placeholder.fill(Qt::white);
        QPainter p(&placeholder);
        p.setRenderHint(QPainter::Antialiasing);
        draw_picture_symbol(p);
        p.end();
        out.bytes("placeholder.bmp", bmp_24(placeholder));
    }

    for (const Button& b : buttons()) {
        out.both("buttons/" + b.name, b.size, b.bg, b.draw);
    }
    return out.ok() ? 0 : 1;
}
