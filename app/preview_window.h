#pragma once
// The preview: one avatar at 160x160 and 100x100, saved as a .jpg file or
// copied to the clipboard.

#include "app/toolkit/controls.h"
#include "app/toolkit/form.h"

#include <QDateTime>

#include <functional>

namespace lumikko {

// The clock the default file name is made from (tests set a fixed time).
extern std::function<QDateTime()> preview_clock;

// "Tobrin" + year, month, hour and second, without leading zeros.
QString default_picture_name(const QDateTime& time);

// The desktop folder, or the home folder when there is no desktop folder.
QString desktop_folder();

class PreviewWindow : public Form {
    Q_OBJECT
public:
    explicit PreviewWindow(QWidget* main_window);

    void set_picture(const Bytes& bytes, const QImage& image);
    PictureBox* large() const { return large_; }
    PictureBox* small() const { return small_; }

    void save_preview_picture();
    void copy_preview_picture();

private:
    PictureBox* large_ = nullptr; // 图片框1
    PictureBox* small_ = nullptr; // 图片框2
};

// Puts an image of the picture's own size on the clipboard; false when the
// bytes do not decode.
bool copy_picture_to_clipboard(const QImage& image);

} // namespace lumikko
