#pragma once
// The main window: a dark side bar with the chrome and the list buttons, and a
// three-page tab control (the thumbnail grid, the open album, tags and search).

#include "app/preview_window.h"
#include "app/toolkit/controls.h"
#include "app/toolkit/form.h"

#include <QPointer>

#include <array>

namespace lumikko {

inline constexpr const char* own_version = "1.3";

class MainWindow : public Form {
    Q_OBJECT
public:
    // Builds the window from its form and runs the creation handler; with
    // check_updates the update check (and after it the first list load) starts.
    explicit MainWindow(bool check_updates = true);
    ~MainWindow() override;

    TransparentLabel* mask() const { return mask_; }
    TabControl* tabs() const { return tabs_; }
    Canvas* avatar_slot(int k) const { return avatars_[k - 1]; }
    Canvas* grid_slot(int k) const { return grid_[k - 1]; }
    PreviewWindow* preview() const { return preview_; }

    // Left-button press on avatar slot k (1..12).
    void open_preview(int k);

private:
    void build_side_bar();
    void build_grid_page(QWidget* page);
    void build_album_page(QWidget* page);
    void build_tag_page(QWidget* page);
    void on_created(bool check_updates);

    PictureBox* side_bar_ = nullptr;
    TabControl* tabs_ = nullptr;
    TransparentLabel* mask_ = nullptr;
    Label* version_label_ = nullptr;
    ListBox* albums_ = nullptr;
    EditBox* search_box_ = nullptr;
    PictureButton* list_previous_ = nullptr;
    PictureButton* list_next_ = nullptr;
    PictureButton* album_previous_ = nullptr;
    PictureButton* album_next_ = nullptr;
    std::array<Canvas*, 18> grid_{};
    std::array<Canvas*, 12> avatars_{};
    QPointer<PreviewWindow> preview_;
};

} // namespace lumikko
