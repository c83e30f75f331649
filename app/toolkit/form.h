#pragma once
// Borderless top-level windows with their own chrome.

#include <QWidget>

class QMouseEvent;

namespace lumikko {

// Starts moving the top-level window of `w` after a left-button press: through
// the window manager (QWindow::startSystemMove) when it answers, else by hand
// (the widget then follows the pointer until the button is released).
void start_window_move(QWidget* w, QMouseEvent* press);

// Destroys a window on the UI thread, whichever thread asks; the request is
// queued and carried out when the UI thread next handles events.
void destroy_window_queued(QWidget* window);

class Form : public QWidget {
    Q_OBJECT
public:
    // A borderless window; with an owner it stays on top of its owner and goes
    // with it, not modal.
    explicit Form(QWidget* owner = nullptr);
    ~Form() override;

    // Size from the form, centred on the screen for that size.
    void place_centred(QSize form_size);
    void set_background(QColor colour);
    void set_esc_closes(bool on) { esc_closes_ = on; }
    void set_free_move(bool on) { free_move_ = on; }
    bool free_move() const { return free_move_; }

Q_SIGNALS:
    // Emitted once, just before the window goes (close button, Esc, a queued
    // destruction or the owner going).
    void destroying();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void announce_destroying();
    bool esc_closes_ = true;
    bool free_move_ = false;
    bool announced_ = false;
};

} // namespace lumikko
