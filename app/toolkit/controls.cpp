#include "app/toolkit/controls.h"

#include "app/toolkit/form.h"
#include "app/toolkit/picture_decoder.h"

#include <QChildEvent>
#include <QCursor>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>

namespace lumikko {

// ---- Picture ------------------------------------------------------------------

void Picture::set(Bytes bytes) {
    QImage decoded = decode_picture(bytes);
    set(std::move(bytes), std::move(decoded));
}

void Picture::set(Bytes bytes, QImage decoded) {
    bytes_ = std::move(bytes);
    image_ = std::move(decoded);
}

const QPixmap& ScaledPicture::get(const QImage& image, QSize size, qreal ratio) {
    if (pixmap_.isNull() || key_ != image.cacheKey() || size_ != size || ratio_ != ratio) {
        const QSize device(std::max(1, static_cast<int>(std::lround(size.width() * ratio))),
                           std::max(1, static_cast<int>(std::lround(size.height() * ratio))));
        QImage scaled = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        scaled.setDevicePixelRatio(ratio);
        pixmap_ = QPixmap::fromImage(std::move(scaled));
        key_ = image.cacheKey();
        size_ = size;
        ratio_ = ratio;
    }
    return pixmap_;
}

// ---- Canvas -------------------------------------------------------------------

Canvas::Canvas(QWidget* parent, Layout layout, QColor background)
    : QWidget(parent)
    , layout_(layout)
    , background_(background) {}

void Canvas::set_picture(Bytes bytes) {
    picture_.set(std::move(bytes));
    update();
}

void Canvas::set_picture(Bytes bytes, QImage decoded) {
    picture_.set(std::move(bytes), std::move(decoded));
    update();
}

void Canvas::set_hand_cursor(bool on) {
    if (on)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void Canvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    const QImage& image = picture_.image();
    if (image.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (layout_ == Layout::TopLeftClip) {
        painter.drawImage(QPoint(0, 0), image);
        return;
    }
    QSize shown = image.size();
    if (shown.width() > width() || shown.height() > height()) {
        shown.scale(size(), Qt::KeepAspectRatio);
        shown = shown.expandedTo(QSize(1, 1));
    }
    const QRect target(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                       shown);
    if (shown == image.size())
        painter.drawImage(target.topLeft(), image);
    else
        painter.drawPixmap(target, scaled_.get(image, shown, devicePixelRatioF()));
}

void Canvas::mousePressEvent(QMouseEvent* event) {
    // Taken here, whatever the button: a canvas never moves its window.
    event->accept();
    if (event->button() == Qt::LeftButton)
        Q_EMIT pressed();
}

// ---- PictureButton ------------------------------------------------------------

PictureButton::PictureButton(QWidget* parent, const QString& normal, const QString& hover,
                             const QString& pressed)
    : QAbstractButton(parent)
    , normal_(load(normal))
    , hover_(load(hover))
    , pressed_(load(pressed)) {}

PictureButton::Look PictureButton::load(const QString& path) {
    Look look;
    if (path.isEmpty())
        return look;
    look.one.load(path);
    QString twice = path;
    const qsizetype dot = twice.lastIndexOf(u'.');
    if (dot > twice.lastIndexOf(u'/'))
        twice.insert(dot, QStringLiteral("@2x"));
    else
        twice.append(QStringLiteral("@2x"));
    if (QFile::exists(twice) && look.two.load(twice))
        look.two.setDevicePixelRatio(2);
    return look;
}

const QPixmap& PictureButton::pick(const Look& look) const {
    if (!look.two.isNull() && (devicePixelRatioF() > 1 || look.one.isNull()))
        return look.two;
    return look.one;
}

void PictureButton::set_hand_cursor(bool on) {
    if (on)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

QSize PictureButton::sizeHint() const {
    const QPixmap& shown = pick(normal_);
    if (shown.isNull())
        return {};
    return shown.deviceIndependentSize().toSize();
}

void PictureButton::paintEvent(QPaintEvent*) {
    const QPixmap* shown = &pick(normal_);
    if (isDown()) {
        if (const QPixmap& p = pick(pressed_); !p.isNull())
            shown = &p;
    } else if (hovered_) {
        if (const QPixmap& h = pick(hover_); !h.isNull())
            shown = &h;
    }
    if (shown->isNull())
        return;

    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (isEnabled()) {
        painter.drawPixmap(rect(), *shown);
        return;
    }
    // Disabled: the normal picture in grey, faded.
    QImage grey = shown->toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int g = qGray(line[x]);
            line[x] = qRgba(g, g, g, qAlpha(line[x]));
        }
    }
    painter.setOpacity(0.5);
    painter.drawImage(rect(), grey);
}

void PictureButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

// ---- PictureBox ---------------------------------------------------------------

PictureBox::PictureBox(QWidget* parent, QColor background)
    : QWidget(parent)
    , background_(background) {}

void PictureBox::set_picture(Bytes bytes) {
    picture_.set(std::move(bytes));
    update();
}

void PictureBox::set_picture(Bytes bytes, QImage decoded) {
    picture_.set(std::move(bytes), std::move(decoded));
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    const QImage& image = picture_.image();
    if (image.isNull() || width() <= 0 || height() <= 0)
        return;
    painter.drawPixmap(rect(), scaled_.get(image, size(), devicePixelRatioF()));
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        start_window_move(this, event);
}

// ---- Label --------------------------------------------------------------------

Label::Label(QWidget* parent, const QString& caption)
    : QLabel(caption, parent) {}

void Label::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    event->accept();
    start_window_move(this, event);
}

// ---- TransparentLabel ---------------------------------------------------------

TransparentLabel::TransparentLabel(QWidget* parent)
    : QWidget(parent) {
    // Nothing is painted, so whatever lies under it shows through.
    setAutoFillBackground(false);
}

void TransparentLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        Q_EMIT pressed();
}

void TransparentLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void TransparentLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void TransparentLabel::wheelEvent(QWheelEvent* event) {
    event->accept();
}

// ---- ShapeBox -----------------------------------------------------------------

ShapeBox::ShapeBox(QWidget* parent)
    : QFrame(parent) {
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    QPalette rim = palette();
    rim.setColor(QPalette::WindowText, QColor(180, 180, 180));
    setPalette(rim);
}

void ShapeBox::mousePressEvent(QMouseEvent* event) {
    // Presses on the children stay with them; what reaches the box is its rim.
    event->accept();
    if (event->button() == Qt::LeftButton)
        start_window_move(this, event);
}

// ---- TabControl ---------------------------------------------------------------

namespace {

// A slim strip: one segment per page, the current one dark, the page's title
// as the segment's tooltip.
class SegmentStrip : public QTabBar {
public:
    explicit SegmentStrip(QWidget* parent)
        : QTabBar(parent) {
        setDrawBase(false);
        setExpanding(true);
        setUsesScrollButtons(false);
        setElideMode(Qt::ElideNone);
        setFocusPolicy(Qt::NoFocus);
        setAttribute(Qt::WA_Hover);
    }

protected:
    QSize tabSizeHint(int) const override {
        return {std::max(1, width() / std::max(1, count())), TabControl::strip_height};
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const int hovered = underMouse() ? tabAt(mapFromGlobal(QCursor::pos())) : -1;
        for (int i = 0; i < count(); ++i) {
            const QRect segment = tabRect(i).adjusted(1, 1, -1, -2);
            QColor colour(214, 214, 214);
            if (i == currentIndex())
                colour = QColor(72, 72, 72);
            else if (i == hovered)
                colour = QColor(160, 160, 160);
            painter.fillRect(segment, colour);
        }
    }
};

// A page covers the whole control but lets presses on the strip through,
// except where one of its own children lies over the strip.
class TabPage : public QWidget {
public:
    explicit TabPage(QWidget* parent)
        : QWidget(parent) {
        setAutoFillBackground(false);
    }

    void update_mask() {
        QRegion region(rect());
        region -= QRect(0, 0, width(), TabControl::strip_height);
        for (QObject* child : children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            if (widget && !widget->isWindow() && !widget->isHidden())
                region += widget->geometry();
        }
        region &= rect();
        if (region.isEmpty())
            clearMask();
        else
            setMask(region);
    }

protected:
    void childEvent(QChildEvent* event) override {
        if (event->added() && event->child()->isWidgetType())
            event->child()->installEventFilter(this);
        QWidget::childEvent(event);
        if (event->added() || event->removed())
            update_mask();
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched->parent() == this) {
            switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Show:
            case QEvent::Hide:
                update_mask();
                break;
            default:
                break;
            }
        }
        return false;
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        update_mask();
    }
};

} // namespace

TabControl::TabControl(QWidget* parent, QColor background)
    : QWidget(parent)
    , bar_(new SegmentStrip(this))
    , background_(background) {
    bar_->setGeometry(0, 0, width(), strip_height);
    connect(bar_, &QTabBar::currentChanged, this, [this](int index) {
        show_page(index);
        Q_EMIT current_changed(index);
    });
}

QWidget* TabControl::add_page(const QString& title) {
    auto* page = new TabPage(this);
    page->setGeometry(rect());
    page->setVisible(false);
    pages_.push_back(page);
    const int index = bar_->addTab(title);
    bar_->setTabToolTip(index, title);
    show_page(bar_->currentIndex());
    return page;
}

QWidget* TabControl::page(int index) const {
    if (index < 0 || index >= count())
        return nullptr;
    return pages_[static_cast<std::size_t>(index)];
}

int TabControl::count() const {
    return static_cast<int>(pages_.size());
}

int TabControl::current_page() const {
    return bar_->currentIndex();
}

void TabControl::set_current_page(int index) {
    if (index >= 0 && index < count())
        bar_->setCurrentIndex(index);
}

void TabControl::show_page(int index) {
    for (int i = 0; i < count(); ++i)
        pages_[static_cast<std::size_t>(i)]->setVisible(i == index);
}

void TabControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    bar_->setGeometry(0, 0, width(), strip_height);
    for (QWidget* page : pages_)
        page->setGeometry(rect());
}

void TabControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
}

// ---- EditBox, ListBox -----------------------------------------------------------

EditBox::EditBox(QWidget* parent, const QString& text)
    : QLineEdit(text, parent) {}

ListBox::ListBox(QWidget* parent)
    : QWidget(parent) {
    hide();
}

Text ListBox::item(int index) const {
    if (index < 0 || index >= count())
        return {};
    return items_[static_cast<std::size_t>(index)];
}

} // namespace lumikko
