#pragma once
// The controls the two forms are made of. Each control keeps the picture bytes
// last written to it (reading gives them back unchanged) next to the decoded
// image it paints.

#include "browse/text.h"

#include <QAbstractButton>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTabBar>
#include <QWidget>

#include <vector>

namespace lumikko {

// Gives a control its object name (the form's name for it) and its place in
// its parent.
template <class W> W* place(W* widget, const QString& object_name, int x, int y, int w, int h) {
    widget->setObjectName(object_name);
    widget->setGeometry(x, y, w, h);
    return widget;
}

// Holder of picture bytes and their decoded image.
class Picture {
public:
    // Decodes on the calling thread; for small built-in pictures.
    void set(Bytes bytes);
    // Bytes with the image a worker decoded from them.
    void set(Bytes bytes, QImage decoded);
    const Bytes& bytes() const { return bytes_; }
    const QImage& image() const { return image_; }
    bool empty() const { return bytes_.empty(); }

private:
    Bytes bytes_;
    QImage image_;
};

// The picture scaled for one target size and pixel ratio, kept between paints.
class ScaledPicture {
public:
    // `image` scaled smoothly to `size` logical pixels at `ratio`.
    const QPixmap& get(const QImage& image, QSize size, qreal ratio);

private:
    QPixmap pixmap_;
    qint64 key_ = 0;
    QSize size_;
    qreal ratio_ = 0;
};

// A drawing surface that shows one picture over a background colour.
class Canvas : public QWidget {
    Q_OBJECT
public:
    enum class Layout {
        CentreFit,   // centred; scaled down keeping proportions, never enlarged
        TopLeftClip, // natural size from the top-left corner, clipped
    };
    Canvas(QWidget* parent, Layout layout, QColor background);

    void set_picture(Bytes bytes);
    void set_picture(Bytes bytes, QImage decoded);
    const Bytes& picture() const { return picture_.bytes(); }
    const QImage& image() const { return picture_.image(); }
    void set_hand_cursor(bool on);

Q_SIGNALS:
    void pressed(); // left button

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Layout layout_;
    QColor background_;
    Picture picture_;
    ScaledPicture scaled_;
};

// A button drawn from pictures: normal, mouse-over and pressed (a state
// without its own picture shows the normal one). Pictures are resource paths;
// a "name@2x.png" beside "name.png" is used on 2x screens. Disabled, it is drawn
// faded and ignores clicks.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(QWidget* parent, const QString& normal, const QString& hover = {},
                  const QString& pressed = {});
    void set_hand_cursor(bool on);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // One state's picture: the 1x one and, when there is one, the 2x one.
    struct Look {
        QPixmap one, two;
    };
    static Look load(const QString& path);
    const QPixmap& pick(const Look& look) const;

    Look normal_, hover_, pressed_;
    bool hovered_ = false;
};

// A box that stretches its picture over its whole area, on a background colour.
// A left-button press on it moves the window.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(QWidget* parent, QColor background);
    void set_picture(Bytes bytes);
    void set_picture(Bytes bytes, QImage decoded);
    const Bytes& picture() const { return picture_.bytes(); }
    const QImage& image() const { return picture_.image(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QColor background_;
    Picture picture_;
    ScaledPicture scaled_;
};

// A text label; a left-button press on it moves the window.
class Label : public QLabel {
    Q_OBJECT
public:
    Label(QWidget* parent, const QString& caption);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// Invisible; while shown it swallows every mouse press over its area.
class TransparentLabel : public QWidget {
    Q_OBJECT
public:
    explicit TransparentLabel(QWidget* parent);

Q_SIGNALS:
    void pressed(); // left button

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};

// A framed box; a press on its rim moves the window.
class ShapeBox : public QFrame {
    Q_OBJECT
public:
    explicit ShapeBox(QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// Tab pages that place their children from the tab control's own top-left
// corner, strip included: every page covers the whole control and the strip
// lies under the pages' children.
class TabControl : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent, QColor background);
    QWidget* add_page(const QString& title);
    QWidget* page(int index) const;
    int count() const;
    int current_page() const;
    void set_current_page(int index);
    QTabBar* tab_bar() const { return bar_; }

    // Height of the slim tab strip along the top edge.
    static constexpr int strip_height = 7;

Q_SIGNALS:
    void current_changed(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void show_page(int index);
    QTabBar* bar_;
    std::vector<QWidget*> pages_;
    QColor background_;
};

class EditBox : public QLineEdit {
    Q_OBJECT
public:
    EditBox(QWidget* parent, const QString& text);
};

// A hidden list of texts, in the order they were added.
class ListBox : public QWidget {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent);
    void clear_items() { items_.clear(); }
    void append(Text item) { items_.push_back(std::move(item)); }
    // The empty text when index is out of range.
    Text item(int index) const;
    int count() const { return static_cast<int>(items_.size()); }

private:
    std::vector<Text> items_;
};

} // namespace lumikko
