#include "app/main_window.h"

#include "app/preview_window.h"
#include "browse/album_loader.h"
#include "browse/browse_controls.h"
#include "browse/list_loader.h"
#include "browse/navigation.h"
#include "res/resources.h"
#include "update/update_check.h"

#include <QFile>
#include <QFont>
#include <QIcon>

namespace lumikko {

namespace {

const QColor content_background(243, 243, 243);
const QColor chrome_colour(72, 72, 72);

QString name(const char* utf8) {
    return QString::fromUtf8(utf8);
}

Bytes sample_picture(int n) {
    return resource_bytes(QStringLiteral(":/res/samples/sample%1.jpg").arg(n, 2, 10, QChar('0')));
}

} // namespace

MainWindow::MainWindow(bool check_updates) {
    ui_context();
    setObjectName(QStringLiteral("Lumikko"));
    setWindowTitle(QStringLiteral("Lumikko"));
    setWindowIcon(QIcon(QStringLiteral(":/res/icon.png")));
    set_background(content_background);
    set_esc_closes(true);
    set_free_move(true);
    place_centred(QSize(750, 570));

    side_bar_ = place(new PictureBox(this, chrome_colour), name("图片框1"), 0, 0, 68, 571);
    place(new PictureBox(this, chrome_colour), name("边框1"), 68, 0, 682, 2);
    place(new PictureBox(this, chrome_colour), name("边框2"), 68, 528, 682, 2);
    place(new PictureBox(this, chrome_colour), name("边框3"), 748, 0, 2, 530);

    tabs_ = place(new TabControl(this, content_background), name("选择夹1"), 68, 2, 680, 558);
    build_grid_page(tabs_->add_page(name("首页")));
    build_album_page(tabs_->add_page(name("内容")));
    build_tag_page(tabs_->add_page(QString()));
    tabs_->set_current_page(0);

    build_side_bar();

    mask_ = place(new TransparentLabel(this), name("透明标签1"), 24, -8, 80, 32);
    mask_->hide();
    mask_->raise();

    browse_controls =
        BrowseControls{this,       tabs_,    albums_,         grid_,       list_previous_,
                       list_next_, avatars_, album_previous_, album_next_, search_box_};
    on_created(check_updates);
}

MainWindow::~MainWindow() {
    if (browse_controls.window == this || browse_controls.window.isNull())
        browse_controls = BrowseControls{};
}

void MainWindow::build_side_bar() {
    auto* close =
        place(new PictureButton(side_bar_, button_picture("close_normal"),
                                button_picture("close_hover"), button_picture("close_pressed")),
              name("图形按钮1"), 2, 2, 32, 32);
    connect(close, &QAbstractButton::clicked, this, &QWidget::close);
    auto* minimise = place(new PictureButton(side_bar_, button_picture("minimise_normal"),
                                             button_picture("minimise_hover"),
                                             button_picture("minimise_pressed")),
                           name("图形按钮2"), 34, 2, 32, 32);
    connect(minimise, &QAbstractButton::clicked, this, &QWidget::showMinimized);

    auto* logo =
        place(new PictureBox(side_bar_, QColor(108, 108, 108)), name("图片框13"), 2, 36, 64, 64);
    logo->set_picture(resource_bytes(QStringLiteral(":/res/logo.jpg")));
    auto* logo_press = place(new TransparentLabel(side_bar_), name("透明标签3"), 2, 36, 64, 64);
    logo_press->setCursor(Qt::PointingHandCursor);
    connect(logo_press, &TransparentLabel::pressed, this, [this] { tabs_->set_current_page(0); });

    for (int i = 1; i <= 7; ++i) {
        const QString control = name("漫画按钮") + QString::number(i);
        auto* button = place(
            new PictureButton(side_bar_, button_picture(QStringLiteral("side%1_normal").arg(i)), {},
                              button_picture(QStringLiteral("side%1_pressed").arg(i))),
            control, 2, 102 + 40 * (i - 1), 64, 40);
        if (i == 7) {
            connect(button, &QAbstractButton::clicked, this,
                    [this] { tabs_->set_current_page(2); });
        } else {
            const QByteArray utf8 = control.toUtf8();
            connect(button, &QAbstractButton::clicked, this, [utf8] {
                on_list_button_clicked(std::string_view(utf8.constData(), utf8.size()));
            });
        }
    }

    auto* back = place(new Label(side_bar_, name("  返回")), name("标签6"), 2, 488, 64, 40);
    QFont font(name("微软雅黑"));
    font.setPixelSize(21);
    back->setFont(font);
    back->setStyleSheet(QStringLiteral("color: black; background: rgb(236, 236, 236);"));
    back->hide();
}

void MainWindow::build_grid_page(QWidget* page) {
    list_previous_ = place(new PictureButton(page, button_picture("list_prev")), name("上一页"), 8,
                           11, 120, 120);
    list_previous_->set_hand_cursor(true);
    connect(list_previous_, &QAbstractButton::clicked, this, [] { on_list_previous_clicked(); });

    // Four rows of five cells; the first cell holds 上一页 and the last 下一页.
    for (int n = 1; n <= 18; ++n) {
        const int cell = n; // cell 0 is 上一页
        const int x = 8 + 136 * (cell % 5);
        const int y = 11 + 128 * (cell / 5);
        auto* slot = place(new Canvas(page, Canvas::Layout::CentreFit, Qt::white),
                           name("画板") + QString::number(n), x, y, 120, 120);
        slot->set_hand_cursor(true);
        slot->set_picture(sample_picture((n - 1) % 12 + 1));
        connect(slot, &Canvas::pressed, this, [n] { on_thumbnail_pressed(n); });
        grid_[n - 1] = slot;
    }

    list_next_ = place(new PictureButton(page, button_picture("list_next")), name("下一页"), 552,
                       395, 120, 120);
    list_next_->set_hand_cursor(true);
    connect(list_next_, &QAbstractButton::clicked, this, [] { on_list_next_clicked(); });

    albums_ = place(new ListBox(page), name("列表框1"), 132, 94, 24, 32);
    albums_->hide();
}

void MainWindow::build_album_page(QWidget* page) {
    const int xs[3][4] = {{12, 180, 348, 516}, {12, 180, 348, 516}, {10, 178, 346, 514}};
    const int ys[3] = {8, 176, 344};
    for (int k = 1; k <= 12; ++k) {
        const int row = (k - 1) / 4;
        auto* slot =
            place(new Canvas(page, Canvas::Layout::TopLeftClip, content_background),
                  name("分类") + QString::number(k), xs[row][(k - 1) % 4], ys[row], 150, 150);
        slot->set_picture(sample_picture(k));
        connect(slot, &Canvas::pressed, this, [this, k] { open_preview(k); });
        avatars_[k - 1] = slot;
    }
    album_previous_ = place(new PictureButton(page, button_picture("album_prev")),
                            name("图形按钮3"), 10, 497, 318, 24);
    album_previous_->set_hand_cursor(true);
    album_previous_->hide();
    connect(album_previous_, &QAbstractButton::clicked, this, [] { on_album_previous_clicked(); });
    album_next_ = place(new PictureButton(page, button_picture("album_next")), name("图形按钮4"),
                        346, 497, 318, 24);
    album_next_->set_hand_cursor(true);
    album_next_->hide();
    connect(album_next_, &QAbstractButton::clicked, this, [] { on_album_next_clicked(); });
}

void MainWindow::build_tag_page(QWidget* page) {
    for (int i = 1; i <= 12; ++i) {
        const QString control = name("按钮") + QString::number(i);
        auto* button =
            place(new PictureButton(page, button_picture(QStringLiteral("tag%1").arg(i))), control,
                  56 + 144 * ((i - 1) % 4), 16 + 40 * ((i - 1) / 4), 136, 32);
        const QByteArray utf8 = control.toUtf8();
        connect(button, &QAbstractButton::clicked, this, [utf8] {
            on_list_button_clicked(std::string_view(utf8.constData(), utf8.size()));
        });
    }

    auto* frame = place(new ShapeBox(page), name("外形框1"), 160, 158, 228, 32);
    search_box_ = place(new EditBox(frame, name("搜索")), name("编辑框1"), 4, 1, 220, 30);
    search_box_->setFrame(false);
    QFont font(name("宋体"));
    font.setPixelSize(16);
    search_box_->setFont(font);
    search_box_->setStyleSheet(QStringLiteral("color: black; background: white; border: none;"));

    auto* search =
        place(new PictureButton(page, button_picture("search")), name("按钮13"), 396, 158, 96, 32);
    connect(search, &QAbstractButton::clicked, this, [] { on_list_button_clicked("按钮13"); });

    version_label_ =
        place(new Label(page, QString::fromUtf8(own_version)), name("标签1"), 204, 542, 48, 16);
}

void MainWindow::on_created(bool check_updates) {
    resize(750, 530);
    mask_->setGeometry(0, 0, width(), height());
    setWindowOpacity(255 / 255.0);
    set_up_hot_list();
    if (check_updates) {
        QPointer<MainWindow> self(this);
        check_for_update(version_label_->text().toStdString(), [self] {
            if (self)
                self->close();
        });
    }
}

void MainWindow::open_preview(int k) {
    Canvas* slot = avatars_[k - 1];
    if (slot->picture().empty())
        return;
    mask_->show();
    mask_->raise();
    preview_ = new PreviewWindow(this);
    preview_->set_picture(slot->picture(), slot->image());
    QPointer<TransparentLabel> mask(mask_);
    connect(preview_, &Form::destroying, this, [mask] {
        if (mask)
            mask->hide();
    });
    preview_->show();
}

} // namespace lumikko
