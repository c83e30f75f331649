#include "app/preview_window.h"

#include "app/toolkit/dialogs.h"
#include "res/resources.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QSaveFile>
#include <QStandardPaths>

namespace lumikko {

std::function<QDateTime()> preview_clock = [] { return QDateTime::currentDateTime(); };

namespace {

QString name(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

QString default_picture_name(const QDateTime& time) {
    const QDate date = time.date();
    const QTime clock = time.time();
    return QStringLiteral("Tobrin%1%2%3%4")
        .arg(date.year())
        .arg(date.month())
        .arg(clock.hour())
        .arg(clock.second());
}

QString desktop_folder() {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return desktop;
    return QDir::homePath();
}

PreviewWindow::PreviewWindow(QWidget* main_window)
    : Form(main_window) {
    setWindowTitle(QStringLiteral("Lumikko"));
    setWindowIcon(QIcon(QStringLiteral(":/res/icon.png")));
    set_background(QColor(72, 72, 72));
    set_esc_closes(true);
    set_free_move(false);
    resize(380, 250);

    auto* close = place(new PictureButton(this, button_picture(QStringLiteral("close_normal")),
                                          button_picture(QStringLiteral("close_hover")),
                                          button_picture(QStringLiteral("close_pressed"))),
                        name("图形按钮1"), 2, 2, 32, 32);
    connect(close, &QAbstractButton::clicked, this, &QWidget::close);
    // Same look as the main window's minimise button, and deliberately inert.
    place(new PictureButton(this, button_picture(QStringLiteral("minimise_normal")),
                            button_picture(QStringLiteral("minimise_hover")),
                            button_picture(QStringLiteral("minimise_pressed"))),
          name("图形按钮2"), 34, 2, 32, 32);

    auto* canvas = place(new Canvas(this, Canvas::Layout::TopLeftClip, QColor(243, 243, 243)),
                         name("画板1"), 2, 36, 376, 212);
    large_ =
        place(new PictureBox(canvas, QColor(243, 243, 243)), name("图片框1"), 54, 10, 160, 160);
    small_ =
        place(new PictureBox(canvas, QColor(243, 243, 243)), name("图片框2"), 224, 70, 100, 100);
    auto* save = place(new PictureButton(canvas, button_picture(QStringLiteral("save"))),
                       name("图形按钮3"), 67, 174, 114, 32);
    connect(save, &QAbstractButton::clicked, this, &PreviewWindow::save_preview_picture);
    auto* copy = place(new PictureButton(canvas, button_picture(QStringLiteral("copy"))),
                       name("图形按钮4"), 191, 174, 114, 32);
    connect(copy, &QAbstractButton::clicked, this, &PreviewWindow::copy_preview_picture);

    // Creation handler: over the main window, 184 pixels in and 161 down.
    move(main_window->x() + 184, main_window->y() + 161);
}

void PreviewWindow::set_picture(const Bytes& bytes, const QImage& image) {
    large_->set_picture(bytes, image);
    small_->set_picture(bytes, image);
}

void PreviewWindow::save_preview_picture() {
    const std::optional<QString> chosen = run_save_dialog(
        this, desktop_folder(), default_picture_name(preview_clock()), QStringLiteral("*.JPG"));
    if (!chosen || chosen->isEmpty())
        return;

    // ".jpg" goes on whatever name was chosen; that is the file that gets written,
    // so that is the one we ask about.
    const QString path = *chosen + QStringLiteral(".jpg");
    if (QFileInfo::exists(path) &&
        !run_confirm_dialog(this,
                            name("“%1”已经存在。要替换它吗？").arg(QDir::toNativeSeparators(path))))
        return;

    const Bytes& bytes = large_->picture();
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
                             static_cast<qint64>(bytes.size()) &&
                         file.commit();
    if (!written) {
        run_message_dialog(
            this,
            name("无法保存图片到“%1”：%2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    close();
}

bool copy_picture_to_clipboard(const QImage& image) {
    if (image.isNull())
        return false;
    QGuiApplication::clipboard()->setImage(image);
    return true;
}

void PreviewWindow::copy_preview_picture() {
    if (!copy_picture_to_clipboard(large_->image()))
        run_message_dialog(this, name("这张图片无法识别，没有复制到剪贴板。"));
    close();
}

} // namespace lumikko
