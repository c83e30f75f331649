#include "app/toolkit/form.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QScreen>
#include <QWindow>

namespace lumikko {
namespace {

constexpr char manual_move_property[] = "lumikko_manual_move";

// Moves a top-level window by hand while the left button stays down: used
// where no window manager takes the move over (offscreen, some X servers).
class ManualMove : public QObject {
public:
    ManualMove(QWidget* grabber, QPoint offset)
        : QObject(grabber)
        , grabber_(grabber)
        , offset_(offset) {
        grabber_->setProperty(manual_move_property, true);
        grabber_->installEventFilter(this);
        grabber_->grabMouse();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != grabber_)
            return false;
        switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* move = static_cast<QMouseEvent*>(event);
            if (!(move->buttons() & Qt::LeftButton)) {
                finish();
                return false;
            }
            grabber_->window()->move(move->globalPosition().toPoint() - offset_);
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                finish();
            return true;
        case QEvent::Hide:
            finish();
            return false;
        default:
            return false;
        }
    }

private:
    void finish() {
        grabber_->releaseMouse();
        grabber_->removeEventFilter(this);
        grabber_->setProperty(manual_move_property, QVariant());
        deleteLater();
    }

    QWidget* grabber_;
    QPoint offset_;
};

} // namespace

void start_window_move(QWidget* w, QMouseEvent* press) {
    if (!w)
        return;
    QWidget* top = w->window();
    if (QWindow* handle = top->windowHandle(); handle && handle->startSystemMove())
        return;
    if (w->property(manual_move_property).toBool())
        return;
    const QPoint pointer = press ? press->globalPosition().toPoint() : QCursor::pos(w->screen());
    new ManualMove(w, pointer - top->pos()); // owned by w
}

void destroy_window_queued(QWidget* window) {
    if (!window)
        return;
    QPointer<QWidget> guard(window);
    QMetaObject::invokeMethod(
        window,
        [guard] {
            if (!guard)
                return;
            guard->close();
            if (guard && !guard->testAttribute(Qt::WA_DeleteOnClose))
                guard->deleteLater();
        },
        Qt::QueuedConnection);
}

Form::Form(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose);
}

Form::~Form() {
    announce_destroying();
}

void Form::place_centred(QSize form_size) {
    resize(form_size);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.x() + (area.width() - form_size.width()) / 2,
         area.y() + (area.height() - form_size.height()) / 2);
}

void Form::set_background(QColor colour) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colour);
    setPalette(palette);
    setAutoFillBackground(true);
}

void Form::keyPressEvent(QKeyEvent* event) {
    if (esc_closes_ && event->key() == Qt::Key_Escape) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form::mousePressEvent(QMouseEvent* event) {
    if (free_move_ && event->button() == Qt::LeftButton) {
        event->accept();
        start_window_move(this, event);
        return;
    }
    QWidget::mousePressEvent(event);
}

void Form::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        announce_destroying();
}

void Form::announce_destroying() {
    if (announced_)
        return;
    announced_ = true;
    Q_EMIT destroying();
}

} // namespace lumikko
