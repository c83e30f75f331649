#include "app/toolkit/controls.h"
#include "app/toolkit/form.h"
#include "support.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace lumikko {
namespace {

using test::encode;
using test::filled;
using test::near;

const QRgb white = qRgb(255, 255, 255);
const QRgb red = qRgb(255, 0, 0);
const QRgb blue = qRgb(0, 0, 255);
const QRgb green = qRgb(0, 255, 0);
const QRgb dark_red = qRgb(128, 0, 0);

// What a widget shows, read in its own (logical) coordinates whatever the
// screen's pixel density.
struct Shot {
    QImage image;
    int ratio() const { return static_cast<int>(image.devicePixelRatio()); }
    QSize size() const { return image.size() / ratio(); }
    QRgb pixel(int x, int y) const { return image.pixel(x * ratio(), y * ratio()); }
    QRgb pixel(QPoint p) const { return pixel(p.x(), p.y()); }
};

Shot grab(QWidget& widget) {
    return {widget.grab().toImage().convertToFormat(QImage::Format_RGB32)};
}

// A shown top-level to hold the controls under test.
std::unique_ptr<QWidget> shown_window(QSize size) {
    auto window = std::make_unique<QWidget>();
    window->resize(size);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return window;
}

// Presses and releases through the window, so the control under the pointer
// is found the way a real click finds it.
void click_at(QWidget* window, QPoint pos) {
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, pos);
}

TEST(Canvas, DoubleDensityCentreFitScalesDownKeepingProportions) {
    QWidget parent;
    Canvas canvas(&parent, Canvas::Layout::CentreFit, Qt::white);
    canvas.resize(120, 120);
    QImage halves = filled({240, 120}, blue);
    QPainter(&halves).fillRect(0, 0, 120, 120, red);
    canvas.set_picture(encode(halves, "PNG"));

    const Shot shown = grab(canvas);
    ASSERT_EQ(shown.size(), QSize(120, 120));
    // 120x60 from y 30 to 89: red left half, blue right half.
    EXPECT_EQ(shown.pixel(60, 27), white);
    EXPECT_TRUE(near(shown.pixel(5, 33), red, 8));
    EXPECT_TRUE(near(shown.pixel(55, 60), red, 8));
    EXPECT_TRUE(near(shown.pixel(65, 60), blue, 8));
    EXPECT_TRUE(near(shown.pixel(115, 86), blue, 8));
    EXPECT_EQ(shown.pixel(60, 92), white);
    // Scaled in device pixels: the edge between the halves stays sharp.
    const int edge = 60 * shown.ratio();
    EXPECT_EQ(shown.image.pixel(edge - 1, edge), red);
    EXPECT_EQ(shown.image.pixel(edge, edge), blue);
}

TEST(Canvas, DoubleDensityCentreFitNeverEnlarges) {
    QWidget parent;
    Canvas canvas(&parent, Canvas::Layout::CentreFit, Qt::white);
    canvas.resize(120, 120);
    canvas.set_picture(encode(filled({60, 60}, blue), "PNG"));

    const Shot shown = grab(canvas);
    for (const QPoint inside : {QPoint(30, 30), QPoint(89, 89), QPoint(60, 60)})
        EXPECT_EQ(shown.pixel(inside), blue) << inside.x() << "," << inside.y();
    for (const QPoint outside : {QPoint(29, 60), QPoint(90, 60), QPoint(60, 29), QPoint(60, 90)})
        EXPECT_EQ(shown.pixel(outside), white) << outside.x() << "," << outside.y();
}

TEST(Canvas, TopLeftClipDrawsAtNaturalSize) {
    QWidget parent;
    const QColor background(243, 243, 243);
    Canvas canvas(&parent, Canvas::Layout::TopLeftClip, background);
    canvas.resize(150, 150);
    QImage picture = filled({200, 200}, blue);
    QPainter(&picture).fillRect(0, 0, 100, 100, red);
    canvas.set_picture(encode(picture, "PNG"));

    const Shot shown = grab(canvas);
    EXPECT_EQ(shown.pixel(0, 0), red);
    EXPECT_EQ(shown.pixel(99, 99), red);
    EXPECT_EQ(shown.pixel(100, 99), blue);
    EXPECT_EQ(shown.pixel(149, 149), blue);

    // A smaller picture leaves the background around it.
    canvas.set_picture(encode(filled({50, 40}, green), "PNG"));
    const Shot small = grab(canvas);
    EXPECT_EQ(small.pixel(49, 39), green);
    EXPECT_EQ(small.pixel(50, 10), background.rgb());
    EXPECT_EQ(small.pixel(10, 40), background.rgb());
}

TEST(Canvas, KeepsTheExactBytesAndShowsOnlyBackgroundForUndecodable) {
    QWidget parent;
    Canvas canvas(&parent, Canvas::Layout::CentreFit, QColor(10, 20, 30));
    canvas.resize(40, 40);
    const Bytes junk("GIF89a\0\0\xFF not really", 20);
    canvas.set_picture(junk);
    EXPECT_EQ(canvas.picture(), junk);
    EXPECT_TRUE(canvas.image().isNull());
    const Shot shown = grab(canvas);
    for (const QPoint p : {QPoint(0, 0), QPoint(20, 20), QPoint(39, 39)})
        EXPECT_EQ(shown.pixel(p), qRgb(10, 20, 30));

    const Bytes png = encode(filled({8, 8}, red), "PNG");
    canvas.set_picture(png);
    EXPECT_EQ(canvas.picture(), png);
    EXPECT_EQ(canvas.image().size(), QSize(8, 8));

    // Bytes with an image a worker decoded are kept as given, too.
    canvas.set_picture(junk, filled({3, 3}, blue));
    EXPECT_EQ(canvas.picture(), junk);
    EXPECT_EQ(canvas.image().size(), QSize(3, 3));

    canvas.set_picture(Bytes());
    EXPECT_TRUE(canvas.picture().empty());
    EXPECT_TRUE(canvas.image().isNull());
}

TEST(Canvas, LeftPressIsTakenAndDoesNotMoveTheWindow) {
    auto window = std::make_unique<Form>();
    window->setAttribute(Qt::WA_DeleteOnClose, false); // owned here
    window->set_free_move(true);
    window->resize(200, 200);
    window->move(100, 100);
    auto* canvas = new Canvas(window.get(), Canvas::Layout::CentreFit, Qt::white);
    canvas->setGeometry(20, 20, 100, 100);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QSignalSpy pressed(canvas, &Canvas::pressed);

    const QPoint start = window->pos();
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(window->windowHandle(), QPoint(90, 80));
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, QPoint(90, 80));
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(window->pos(), start);

    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_EQ(pressed.count(), 1);
}

TEST(PictureBox, DoubleDensityStretchesOverItsBackground) {
    QWidget parent;
    PictureBox box(&parent, QColor(108, 108, 108));
    box.resize(64, 64);
    EXPECT_EQ(grab(box).pixel(32, 32), qRgb(108, 108, 108));

    QImage halves = filled({128, 125}, blue);
    QPainter(&halves).fillRect(0, 0, 64, 125, red);
    const Bytes jpeg = encode(halves, "PNG");
    box.set_picture(jpeg);
    EXPECT_EQ(box.picture(), jpeg);
    const Shot shown = grab(box);
    EXPECT_TRUE(near(shown.pixel(2, 1), red, 8));
    EXPECT_TRUE(near(shown.pixel(28, 62), red, 8));
    EXPECT_TRUE(near(shown.pixel(36, 62), blue, 8));
    EXPECT_TRUE(near(shown.pixel(62, 1), blue, 8));
}

TEST(PictureBox, LeftPressMovesTheWindow) {
    auto window = std::make_unique<Form>();
    window->setAttribute(Qt::WA_DeleteOnClose, false); // owned here
    window->resize(200, 200);
    window->move(100, 100);
    auto* box = new PictureBox(window.get(), Qt::darkGray);
    box->setGeometry(0, 0, 68, 200);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    const QPoint start = window->pos();
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(window->windowHandle(), QPoint(60, 40));
    // The window has followed the pointer, which is over (10, 10) again.
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(window->pos(), start + QPoint(50, 30));

    // Released: the window stays put when the pointer moves on.
    const QPoint after = window->pos();
    QTest::mouseMove(window->windowHandle(), QPoint(20, 20));
    EXPECT_EQ(window->pos(), after);
}

TEST(PictureButton, ClicksOnlyWhileEnabledEvenWithoutPictures) {
    auto window = shown_window({100, 100});
    auto* button = new PictureButton(window.get(), QStringLiteral(":/no/such/picture.png"));
    button->setGeometry(10, 10, 40, 30);
    button->show();
    QSignalSpy clicked(button, &QAbstractButton::clicked);

    click_at(window.get(), QPoint(20, 20));
    EXPECT_EQ(clicked.count(), 1);

    button->setEnabled(false);
    click_at(window.get(), QPoint(20, 20));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);

    button->setEnabled(true);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 2);
}

class PictureButtonPictures : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(filled({20, 10}, red).save(path("normal.png")));
        ASSERT_TRUE(filled({40, 20}, dark_red).save(path("normal@2x.png")));
        ASSERT_TRUE(filled({20, 10}, green).save(path("pressed.png")));
        ASSERT_TRUE(filled({20, 10}, blue).save(path("hover.png")));
    }
    QString path(const char* name) const { return folder.filePath(QString::fromUtf8(name)); }
    QTemporaryDir folder;
};

TEST_F(PictureButtonPictures, ShowsThePictureOfItsState) {
    auto window = shown_window({100, 100});
    auto* both = new PictureButton(window.get(), path("normal.png"), {}, path("pressed.png"));
    both->setGeometry(0, 0, 20, 10);
    auto* plain = new PictureButton(window.get(), path("normal.png"));
    plain->setGeometry(0, 50, 20, 10);
    both->show();
    plain->show();
    EXPECT_EQ(both->sizeHint(), QSize(20, 10));

    EXPECT_EQ(grab(*both).pixel(10, 5), red);
    both->setDown(true);
    EXPECT_EQ(grab(*both).pixel(10, 5), green);
    both->setDown(false);
    // No pressed picture of its own: the normal one shows.
    plain->setDown(true);
    EXPECT_EQ(grab(*plain).pixel(10, 5), red);
    plain->setDown(false);

    // Disabled it is drawn faded to grey.
    plain->setEnabled(false);
    const QRgb faded = grab(*plain).pixel(10, 5);
    EXPECT_NE(faded, red);
    EXPECT_LE(std::abs(qRed(faded) - qGreen(faded)), 8) << std::hex << faded;
}

// Runs for real in the double-density pass (QT_SCALE_FACTOR=2).
TEST_F(PictureButtonPictures, DoubleDensityUsesTheDoublePicture) {
    auto window = shown_window({100, 100});
    if (window->devicePixelRatioF() < 2)
        GTEST_SKIP() << "needs a screen of double density";
    auto* button = new PictureButton(window.get(), path("normal.png"), {}, path("pressed.png"));
    button->setGeometry(0, 0, 20, 10);
    button->show();
    EXPECT_EQ(button->sizeHint(), QSize(20, 10));
    const Shot shown = grab(*button);
    ASSERT_EQ(shown.image.size(), QSize(40, 20));
    EXPECT_EQ(shown.pixel(10, 5), dark_red);
    // No double picture for the pressed state: its single one is used.
    button->setDown(true);
    EXPECT_EQ(grab(*button).pixel(10, 5), green);
}

TEST_F(PictureButtonPictures, MouseOverShowsTheHoverPicture) {
    auto window = shown_window({100, 100});
    auto* button =
        new PictureButton(window.get(), path("normal.png"), path("hover.png"), path("pressed.png"));
    button->setGeometry(30, 30, 20, 10);
    button->show();
    QTest::mouseMove(window->windowHandle(), QPoint(5, 5));
    EXPECT_EQ(grab(*button).pixel(10, 5), red);
    QTest::mouseMove(window->windowHandle(), QPoint(35, 35));
    EXPECT_TRUE(test::wait_until([&] { return grab(*button).pixel(10, 5) == blue; }, 2000));
    QTest::mouseMove(window->windowHandle(), QPoint(90, 90));
    EXPECT_TRUE(test::wait_until([&] { return grab(*button).pixel(10, 5) == red; }, 2000));
}

TEST(TransparentLabel, SwallowsPressesWhileShown) {
    auto window = shown_window({200, 200});
    auto* button = new PictureButton(window.get(), {});
    button->setGeometry(10, 10, 50, 50);
    button->show();
    auto* mask = new TransparentLabel(window.get());
    mask->setGeometry(0, 0, 200, 200);
    mask->show();
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QSignalSpy pressed(mask, &TransparentLabel::pressed);

    click_at(window.get(), QPoint(30, 30));
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_GE(pressed.count(), 1);

    mask->hide();
    click_at(window.get(), QPoint(30, 30));
    EXPECT_EQ(clicked.count(), 1);

    // It paints nothing: what lies under it shows.
    mask->show();
    window->setStyleSheet(QStringLiteral("background: rgb(1, 2, 3)"));
    EXPECT_EQ(grab(*window).pixel(150, 150), qRgb(1, 2, 3));
}

TEST(TabControl, PagesCoverTheWholeControlAndOnlyTheCurrentShows) {
    auto window = shown_window({760, 580});
    auto* tabs = new TabControl(window.get(), QColor(243, 243, 243));
    tabs->setGeometry(68, 2, 680, 558);
    QWidget* home = tabs->add_page(QStringLiteral("首页"));
    QWidget* content = tabs->add_page(QStringLiteral("内容"));
    QWidget* third = tabs->add_page(QString());
    auto* button = new PictureButton(home, {});
    button->setGeometry(8, 11, 120, 120);
    auto* slot = new Canvas(content, Canvas::Layout::TopLeftClip, Qt::white);
    slot->setGeometry(12, 8, 150, 150);
    tabs->show();
    QSignalSpy changed(tabs, &TabControl::current_changed);

    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->page(3), nullptr);
    EXPECT_EQ(tabs->page(-1), nullptr);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(tabs->page(i)->geometry(), tabs->rect()) << i;
        EXPECT_FALSE(tabs->page(i)->autoFillBackground()) << i;
    }
    EXPECT_EQ(button->mapTo(tabs, QPoint(0, 0)), QPoint(8, 11));
    EXPECT_EQ(slot->mapTo(tabs, QPoint(0, 0)), QPoint(12, 8));
    EXPECT_EQ(tabs->tab_bar()->tabText(0), QStringLiteral("首页"));
    EXPECT_EQ(tabs->tab_bar()->tabText(1), QStringLiteral("内容"));
    EXPECT_EQ(tabs->tab_bar()->tabText(2), QString());
    EXPECT_EQ(tabs->tab_bar()->tabToolTip(1), QStringLiteral("内容"));

    EXPECT_EQ(tabs->current_page(), 0);
    EXPECT_TRUE(home->isVisible());
    EXPECT_FALSE(content->isVisible());
    EXPECT_FALSE(third->isVisible());

    tabs->set_current_page(1);
    EXPECT_EQ(tabs->current_page(), 1);
    EXPECT_FALSE(home->isVisible());
    EXPECT_TRUE(content->isVisible());
    EXPECT_TRUE(slot->isVisible());
    EXPECT_FALSE(button->isVisible());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 1);

    tabs->set_current_page(7);
    EXPECT_EQ(tabs->current_page(), 1);

    // Resizing keeps every page over the whole control.
    tabs->resize(500, 400);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(tabs->page(i)->geometry(), QRect(0, 0, 500, 400)) << i;
}

TEST(TabControl, StripStaysUsableUnderThePages) {
    auto window = shown_window({700, 600});
    auto* tabs = new TabControl(window.get(), QColor(243, 243, 243));
    tabs->setGeometry(0, 0, 680, 558);
    QWidget* home = tabs->add_page(QStringLiteral("首页"));
    tabs->add_page(QStringLiteral("内容"));
    tabs->add_page(QString());
    auto* button = new PictureButton(home, {});
    button->setGeometry(8, 11, 120, 120);
    // A child reaching over the strip takes the presses there itself.
    auto* over = new PictureButton(home, {});
    over->setGeometry(600, 0, 40, 40);
    tabs->show();
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QSignalSpy clicked_over(over, &QAbstractButton::clicked);

    const QRect second = tabs->tab_bar()->tabRect(1);
    ASSERT_TRUE(second.isValid());
    EXPECT_LE(tabs->tab_bar()->height(), 8);
    EXPECT_EQ(tabs->tab_bar()->tabRect(2).right(), 679);

    click_at(window.get(), QPoint(20, 20));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(tabs->current_page(), 0);

    click_at(window.get(), QPoint(second.center().x(), 3));
    EXPECT_EQ(tabs->current_page(), 1);
    EXPECT_FALSE(button->isVisible());

    tabs->set_current_page(0);
    click_at(window.get(), QPoint(610, 3));
    EXPECT_EQ(clicked_over.count(), 1);
    EXPECT_EQ(tabs->current_page(), 0);

    // The control's background shows through the page.
    const Shot shown = grab(*tabs);
    EXPECT_EQ(shown.pixel(300, 300), qRgb(243, 243, 243));
}

TEST(Label, CaptionAndWindowMove) {
    auto window = std::make_unique<Form>();
    window->setAttribute(Qt::WA_DeleteOnClose, false); // owned here
    window->resize(200, 100);
    window->move(50, 50);
    auto* label = new Label(window.get(), QStringLiteral("  返回"));
    label->setGeometry(0, 0, 100, 40);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(label->text(), QStringLiteral("  返回"));

    const QPoint start = window->pos();
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(window->windowHandle(), QPoint(15, 30));
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(window->pos(), start + QPoint(5, 20));
}

TEST(ShapeBox, RimMovesTheWindowChildrenKeepTheirPresses) {
    auto window = std::make_unique<Form>();
    window->setAttribute(Qt::WA_DeleteOnClose, false); // owned here
    window->resize(300, 100);
    window->move(50, 50);
    auto* shape = new ShapeBox(window.get());
    shape->setGeometry(20, 20, 228, 32);
    auto* edit = new EditBox(shape, QStringLiteral("搜索"));
    edit->setGeometry(4, 1, 220, 30);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(edit->text(), QStringLiteral("搜索"));

    const QPoint start = window->pos();
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseMove(window->windowHandle(), QPoint(70, 40));
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, QPoint(70, 40));
    EXPECT_EQ(window->pos(), start);
    EXPECT_TRUE(edit->hasFocus());

    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, QPoint(21, 30));
    QTest::mouseMove(window->windowHandle(), QPoint(31, 40));
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, QPoint(21, 30));
    EXPECT_EQ(window->pos(), start + QPoint(10, 10));
}

TEST(ListBox, IsAHiddenListOfTexts) {
    QWidget parent;
    ListBox list(&parent);
    parent.show();
    EXPECT_FALSE(list.isVisible());
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.item(0), Text());
    list.append("/b/2");
    list.append("/a/1");
    list.append("");
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.item(0), "/b/2");
    EXPECT_EQ(list.item(1), "/a/1");
    EXPECT_EQ(list.item(2), "");
    for (const int out : {-1, 3, 1000})
        EXPECT_EQ(list.item(out), Text()) << out;
    list.clear_items();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.item(0), Text());
}

} // namespace
} // namespace lumikko
