#pragma once
// The main window's controls that list and album loading work on. The main
// window fills this in when it is created; everything here is used on the UI
// thread only, and only while `window` is alive.

#include "app/toolkit/controls.h"

#include <QPointer>

#include <array>

namespace lumikko {

struct BrowseControls {
    QPointer<QWidget> window;
    TabControl* tabs = nullptr;              // 选择夹1
    ListBox* albums = nullptr;               // 列表框1
    std::array<Canvas*, 18> grid{};          // 画板1..画板18
    PictureButton* list_previous = nullptr;  // 上一页
    PictureButton* list_next = nullptr;      // 下一页
    std::array<Canvas*, 12> avatars{};       // 分类1..分类12
    PictureButton* album_previous = nullptr; // 图形按钮3
    PictureButton* album_next = nullptr;     // 图形按钮4
    EditBox* search_box = nullptr;           // 编辑框1
};

extern BrowseControls browse_controls;

inline bool browse_window_alive() {
    return !browse_controls.window.isNull();
}

// The object that workers post their results to. It lives as long as the
// application object, which outlasts every worker (they are joined first).
QObject* ui_context();

// The grid's picture while a thumbnail is on its way: the bytes of a 120x120
// white bitmap with a small picture symbol, and their decoded image.
const Bytes& placeholder_picture();
const QImage& placeholder_image();

} // namespace lumikko
