#include "app/toolkit/dialogs.h"
#include "app/toolkit/form.h"
#include "app/toolkit/ui_thread.h"
#include "support.h"

#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace lumikko {
namespace {

using test::wait_until;

// Counts destroying() and notes the thread it came on.
struct Watch {
    explicit Watch(Form* form) {
        QObject::connect(form, &Form::destroying, [this] {
            ++count;
            on_ui_thread = QThread::currentThread() == qApp->thread();
        });
    }
    int count = 0;
    bool on_ui_thread = false;
};

Form* shown_form() {
    auto* form = new Form;
    form->resize(200, 120);
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form));
    return form;
}

TEST(Form, IsABorderlessWindowThatDeletesItselfOnClose) {
    Form form;
    EXPECT_TRUE(form.isWindow());
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(form.testAttribute(Qt::WA_DeleteOnClose));
    form.setAttribute(Qt::WA_DeleteOnClose, false); // on the stack here
}

TEST(Form, EscClosesAndAnnouncesOnce) {
    QPointer<Form> form = shown_form();
    Watch watch(form);
    QTest::keyClick(form, Qt::Key_Escape);
    EXPECT_EQ(watch.count, 1);
    EXPECT_TRUE(wait_until([&] { return form.isNull(); }));
    EXPECT_EQ(watch.count, 1);
}

TEST(Form, EscIgnoredWhenNotSet) {
    QPointer<Form> form = shown_form();
    form->set_esc_closes(false);
    Watch watch(form);
    QTest::keyClick(form, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.isNull());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(watch.count, 0);
    delete form;
    EXPECT_EQ(watch.count, 1);
}

TEST(Form, OwnedFormGoesWithItsOwner) {
    auto* owner = shown_form();
    QPointer<Form> owned = new Form(owner);
    owned->resize(80, 60);
    owned->show();
    EXPECT_TRUE(owned->isWindow());
    EXPECT_EQ(owned->parentWidget(), owner);
    EXPECT_FALSE(owned->isModal());
    Watch watch(owned);
    delete owner;
    EXPECT_TRUE(owned.isNull());
    EXPECT_EQ(watch.count, 1);
}

TEST(Form, PlaceCentredOnThePrimaryScreen) {
    Form form;
    form.setAttribute(Qt::WA_DeleteOnClose, false);
    form.place_centred(QSize(750, 570));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form.size(), QSize(750, 570));
    EXPECT_EQ(form.pos(),
              QPoint(area.x() + (area.width() - 750) / 2, area.y() + (area.height() - 570) / 2));
}

TEST(Form, FreeMoveOnItsOwnSurfaceOnlyWhenSet) {
    std::unique_ptr<Form> form(shown_form());
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    form->move(100, 100);
    const auto drag = [&](QPoint from, QPoint to) {
        const QPoint before = form->pos();
        QTest::mousePress(form->windowHandle(), Qt::LeftButton, {}, from);
        QTest::mouseMove(form->windowHandle(), to);
        // Where the pointer really is once the window has followed it.
        const QPoint moved = form->pos() - before;
        QTest::mouseRelease(form->windowHandle(), Qt::LeftButton, {}, to - moved);
    };
    const QPoint start = form->pos();
    drag(QPoint(10, 10), QPoint(40, 50));
    EXPECT_EQ(form->pos(), start);

    form->set_free_move(true);
    EXPECT_TRUE(form->free_move());
    drag(QPoint(10, 10), QPoint(40, 50));
    EXPECT_EQ(form->pos(), start + QPoint(30, 40));
}

TEST(Form, BackgroundColour) {
    std::unique_ptr<Form> form(shown_form());
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    form->set_background(QColor(72, 72, 72));
    EXPECT_EQ(form->grab().toImage().pixel(100, 60), qRgb(72, 72, 72));
}

TEST(DestroyWindowQueued, FromAWorkerItHappensOnTheUiThread) {
    QPointer<Form> form = shown_form();
    Watch watch(form);
    Form* raw = form;
    std::thread worker([raw] { destroy_window_queued(raw); });
    worker.join();
    // Queued: nothing has happened before the UI thread handles events.
    EXPECT_FALSE(form.isNull());
    EXPECT_EQ(watch.count, 0);
    EXPECT_TRUE(wait_until([&] { return form.isNull(); }));
    EXPECT_EQ(watch.count, 1);
    EXPECT_TRUE(watch.on_ui_thread);
}

TEST(DestroyWindowQueued, PlainWidgetsGoToo) {
    QPointer<QWidget> plain = new QWidget;
    plain->show();
    destroy_window_queued(plain);
    destroy_window_queued(plain); // twice is harmless
    destroy_window_queued(nullptr);
    EXPECT_TRUE(wait_until([&] { return plain.isNull(); }));
}

TEST(DestroyWindowQueued, WindowAlreadyGoneIsHarmless) {
    QPointer<Form> form = shown_form();
    Watch watch(form);
    destroy_window_queued(form);
    delete form;
    EXPECT_EQ(watch.count, 1);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(watch.count, 1);
}

TEST(PostToUi, RunsOnTheUiThreadAndOnlyWhileTheContextLives) {
    QObject context;
    std::atomic<int> ran{0};
    std::atomic<bool> on_ui_thread{false};
    auto gone = std::make_unique<QObject>();
    QObject* gone_raw = gone.get();
    std::thread worker([&] {
        post_to_ui(&context, [&] {
            on_ui_thread = QThread::currentThread() == qApp->thread();
            ++ran;
        });
        post_to_ui(gone_raw, [&] { ran += 100; });
    });
    worker.join();
    gone.reset();
    EXPECT_EQ(ran, 0);
    EXPECT_TRUE(wait_until([&] { return ran != 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(on_ui_thread);
}

// Answers the next modal dialog that appears.
void answer_next_dialog(std::function<void(QDialog*)> answer) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start();
}

TEST(Dialogs, ReplacedAndRestored) {
    QString seen;
    set_save_dialog(
        [&](QWidget*, const QString& folder, const QString& name, const QString& filter) {
            seen = folder + "|" + name + "|" + filter;
            return std::optional<QString>(folder + "/chosen");
        });
    set_confirm_dialog([](QWidget*, const QString& text) { return text == "yes?"; });
    int messages = 0;
    set_message_dialog([&](QWidget*, const QString&) { ++messages; });

    EXPECT_EQ(run_save_dialog(nullptr, "/d", "Tobrin2024398", "*.JPG"), QString("/d/chosen"));
    EXPECT_EQ(seen, "/d|Tobrin2024398|*.JPG");
    EXPECT_TRUE(run_confirm_dialog(nullptr, "yes?"));
    EXPECT_FALSE(run_confirm_dialog(nullptr, "no?"));
    run_message_dialog(nullptr, "hello");
    EXPECT_EQ(messages, 1);

    set_save_dialog({});
    set_confirm_dialog({});
    set_message_dialog({});

    // The real ones are back: answer them as a user would.
    answer_next_dialog([](QDialog* d) { d->reject(); });
    EXPECT_FALSE(run_confirm_dialog(nullptr, "Replace it?"));
    answer_next_dialog([](QDialog* d) { d->accept(); });
    run_message_dialog(nullptr, "Could not write the file.");
    EXPECT_EQ(messages, 1);
}

TEST(Dialogs, RealSaveDialogOffersTheNameInTheFolder) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFileDialog::Options seen_options;
    answer_next_dialog([&](QDialog* d) {
        auto* files = qobject_cast<QFileDialog*>(d);
        ASSERT_NE(files, nullptr);
        seen_options = files->options();
        d->accept();
    });
    const auto chosen = run_save_dialog(nullptr, folder.path(), "Tobrin2024398", "*.JPG");
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QFileInfo(*chosen).fileName(), QString("Tobrin2024398"));
    EXPECT_EQ(QFileInfo(*chosen).absolutePath(), QFileInfo(folder.path()).absoluteFilePath());
    EXPECT_TRUE(seen_options & QFileDialog::DontConfirmOverwrite);

    answer_next_dialog([](QDialog* d) { d->reject(); });
    EXPECT_FALSE(run_save_dialog(nullptr, folder.path(), "x", "*.JPG").has_value());
}

} // namespace
} // namespace lumikko
