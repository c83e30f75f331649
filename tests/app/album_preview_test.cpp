// Navigation buttons, albums and the preview, against a scripted site.

#include "app/main_window.h"
#include "app/preview_window.h"
#include "app/toolkit/dialogs.h"
#include "browse/album_loader.h"
#include "browse/browse_controls.h"
#include "browse/list_loader.h"
#include "browse/state.h"
#include "net/http.h"
#include "net/origins.h"
#include "net/workers.h"
#include "res/resources.h"
#include "scripted_site.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace lumikko;
using namespace lumikko::testing;

namespace {

struct AlbumFixture {
    std::vector<std::string> sources, pictures;
};

// Serves page `page` of album `stem` with n pictures (an empty entry in
// `empty_at` gives an empty source), in an album of `pages` pages.
AlbumFixture serve_album(ScriptedSite& site, const std::string& stem, int page, int n, int pages,
                         std::vector<int> empty_at = {}, int picture_delay_ms = 0) {
    AlbumFixture f;
    for (int k = 1; k <= n; ++k) {
        if (std::find(empty_at.begin(), empty_at.end(), k) != empty_at.end()) {
            f.sources.emplace_back();
            f.pictures.emplace_back();
            continue;
        }
        const std::string path =
            stem + "/p" + std::to_string(page) + "-" + std::to_string(k) + ".png";
        f.sources.push_back(site.origin() + path);
        f.pictures.push_back(
            png_picture(150 + k, 140 + page, 0x0a0b0cu * static_cast<unsigned>(k + page)));
        site.set(path, {f.pictures.back(), 200, picture_delay_ms, "image/png"});
    }
    site.set(stem + "_" + std::to_string(page) + ".html", {album_page_html(f.sources, pages)});
    return f;
}

} // namespace

class AlbumPreviewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedSite> site;
    QPointer<MainWindow> window;
    std::unique_ptr<QTemporaryDir> home;

    MainWindow* open_window() {
        window = new MainWindow(false);
        window->show();
        return window;
    }

    PictureButton* button(const char* utf8) {
        return window->findChild<PictureButton*>(name(utf8));
    }

    // A list page whose album links are the given stems + ".html".
    void load_list(const std::vector<std::string>& stems) {
        std::vector<std::string> thumbs, links;
        for (const auto& stem : stems) {
            thumbs.push_back(site->origin() + "/thumb.png");
            links.push_back(site->origin() + stem + ".html");
        }
        site->set("/thumb.png", {png_picture(120, 120, 0x336699), 200, 0, "image/png"});
        site->set("/qqtouxiang/hot30//1", {list_page_html(thumbs, links)});
        start_list_load();
        QTRY_VERIFY_WITH_TIMEOUT(
            browse_controls.albums->count() == static_cast<int>(stems.size()) && idle(), wait_ms);
    }

    void press_thumbnail(int n) { QTest::mousePress(window->grid_slot(n), Qt::LeftButton); }

    void wait_album(const AlbumFixture& f) {
        const int last = std::min<int>(12, static_cast<int>(f.pictures.size()));
        QTRY_VERIFY_WITH_TIMEOUT(idle(), wait_ms);
        QCoreApplication::processEvents();
        for (int k = 1; k <= last; ++k)
            QVERIFY2(window->avatar_slot(k)->picture() == f.pictures[k - 1],
                     qPrintable(QString::number(k)));
        for (int k = last + 1; k <= 12; ++k)
            QVERIFY(window->avatar_slot(k)->picture().empty());
    }

    PreviewWindow* open_preview_of(int k) {
        QTest::mousePress(window->avatar_slot(k), Qt::LeftButton);
        return window->preview();
    }

private Q_SLOTS:
    void initTestCase() {
        init_resources();
        init_http();
    }

    void init() {
        home = std::make_unique<QTemporaryDir>();
        qputenv("HOME", home->path().toUtf8());
        qunsetenv("XDG_DESKTOP_DIR");
        QDir(home->path()).mkdir("Desktop");
        site = std::make_unique<ScriptedSite>();
        site_origin = site->origin();
        forum_origin = site->origin();
        clear_navigation_state();
        open_window();
    }

    void cleanup() {
        delete window.data();
        stop_and_join_all_workers();
        QCoreApplication::processEvents();
        set_save_dialog({});
        set_confirm_dialog({});
        set_message_dialog({});
        site.reset();
    }

    void navigation_buttons_request_their_first_page() {
        struct Case {
            const char* control;
            const char* typed;
            std::string target;
        };
        const std::vector<Case> cases = {
            {"按钮1", nullptr, "/qqtouxiang/t/%E5%B0%8F%E6%B8%85%E6%96%B0/1"},
            {"按钮11", nullptr, "/qqtouxiang/good//1"},
            {"按钮13", "搜索", "/qqtouxiang/s/%E6%90%9C%E7%B4%A2/1"},
            {"按钮13", "", "/qqtouxiang/s//1"},
            {"按钮13", "ab", "/qqtouxiang/s/%61%62/1"},
            {"按钮13", "a b", "/qqtouxiang/s/%61%20%62/1"},
            {"漫画按钮6", nullptr, "/qqtouxiang/s/%E7%83%AD%E9%97%A8/1"},
            {"漫画按钮1", nullptr, "/qqtouxiang/t/%E7%94%B7%E7%94%9F/1"},
        };
        auto* box = window->findChild<QLineEdit*>(name("编辑框1"));
        QCOMPARE(box->text(), name("搜索"));
        for (const Case& c : cases) {
            site->clear_requests();
            if (c.typed)
                box->setText(name(c.typed));
            QTest::mouseClick(button(c.control), Qt::LeftButton);
            QCOMPARE(list_page, 1);
            QCOMPARE(list_url, site->origin() + c.target);
            QTRY_VERIFY_WITH_TIMEOUT(site->count(c.target) == 1, wait_ms);
            QTRY_VERIFY_WITH_TIMEOUT(idle(), wait_ms);
        }

        // Paging then stays within the chosen tag.
        std::vector<std::string> thumbs(18, site->origin() + "/t.png"),
            links(18, site->origin() + "/a.html");
        site->set("/t.png", {png_picture(10, 10, 0xff0000), 200, 0, "image/png"});
        site->set("/qqtouxiang/t/%E4%BC%A4%E6%84%9F/1", {list_page_html(thumbs, links)});
        QTest::mouseClick(button("按钮2"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(button("下一页")->isEnabled(), wait_ms);
        site->clear_requests();
        QTest::mouseClick(button("下一页"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(site->count("/qqtouxiang/t/%E4%BC%A4%E6%84%9F/2") == 1, wait_ms);
    }

    void side_bar_switches_pages() {
        QTest::mouseClick(button("漫画按钮7"), Qt::LeftButton);
        QCOMPARE(window->tabs()->current_page(), 2);
        QTest::mousePress(window->findChild<TransparentLabel*>(name("透明标签3")), Qt::LeftButton);
        QCOMPARE(window->tabs()->current_page(), 0);
        QVERIFY(site->requests().empty());
    }

    void album_pages_and_paging_buttons() {
        load_list({"/album/P"});
        const AlbumFixture p1 = serve_album(*site, "/album/P", 1, 15, 3);
        const AlbumFixture p2 = serve_album(*site, "/album/P", 2, 5, 3, {2});
        const AlbumFixture p3 = serve_album(*site, "/album/P", 3, 12, 3);

        press_thumbnail(1);
        QCOMPARE(window->tabs()->current_page(), 1);
        wait_album(p1); // fifteen found, twelve shown
        QCOMPARE(album_url, site->origin() + "/album/P");
        QCOMPARE(album_page_count, 3);
        QVERIFY(button("图形按钮3")->isHidden());
        QVERIFY(!button("图形按钮4")->isHidden());
        QCOMPARE(site->count("/album/P/p1-13.png"), 0);

        struct Step {
            const char* click;
            int page;
            bool previous_shown, next_shown;
            const AlbumFixture* pictures;
        };
        const std::vector<Step> steps = {
            {"图形按钮4", 2, true, true, &p2},
            {"图形按钮4", 3, true, false, &p3},
            {"图形按钮3", 2, true, true, &p2},
            {"图形按钮3", 1, false, true, &p1},
        };
        for (const Step& s : steps) {
            QTest::mouseClick(button(s.click), Qt::LeftButton);
            QCOMPARE(album_page, s.page);
            QCOMPARE(!button("图形按钮3")->isHidden(), s.previous_shown);
            QCOMPARE(!button("图形按钮4")->isHidden(), s.next_shown);
            wait_album(*s.pictures); // page 2: an empty source keeps slot 2 empty
            QCOMPARE(album_page_count, 3);
        }
        QCOMPARE(site->count("/album/P_2.html"), 2);
    }

    void a_new_album_starts_at_page_one() {
        load_list({"/album/A", "/album/B"});
        serve_album(*site, "/album/A", 1, 3, 2);
        const AlbumFixture a2 = serve_album(*site, "/album/A", 2, 3, 2);
        const AlbumFixture b1 = serve_album(*site, "/album/B", 1, 4, 1);
        press_thumbnail(1);
        QTRY_VERIFY_WITH_TIMEOUT(idle() && album_page_count == 2, wait_ms);
        QTest::mouseClick(button("图形按钮4"), Qt::LeftButton);
        wait_album(a2);

        press_thumbnail(2);
        QCOMPARE(album_page, 1);
        wait_album(b1);
        QCOMPARE(album_page_count, 1);
        QVERIFY(button("图形按钮3")->isHidden());
        QVERIFY(button("图形按钮4")->isHidden());
    }

    void missing_list_item_gives_an_empty_album() {
        load_list({"/album/A"});
        press_thumbnail(18);
        QTRY_VERIFY_WITH_TIMEOUT(idle(), wait_ms);
        QCoreApplication::processEvents();
        QCOMPARE(window->tabs()->current_page(), 1);
        for (int k = 1; k <= 12; ++k)
            QVERIFY(window->avatar_slot(k)->picture().empty());
        QVERIFY(button("图形按钮3")->isHidden());
        QVERIFY(button("图形按钮4")->isHidden());
        QCOMPARE(album_page_count, 1);
    }

    void the_newer_album_load_wins() {
        load_list({"/album/Slow", "/album/Fast"});
        serve_album(*site, "/album/Slow", 1, 12, 1, {}, 250);
        const AlbumFixture fast = serve_album(*site, "/album/Fast", 1, 6, 1);
        press_thumbnail(1);
        QTRY_VERIFY_WITH_TIMEOUT(site->count("/album/Slow/p1-1.png") == 1, wait_ms);
        press_thumbnail(2);
        wait_album(fast);
        QTest::qWait(800); // the slow album's pictures would have arrived by now
        wait_album(fast);
        QCOMPARE(album_url, site->origin() + "/album/Fast");
    }

    void preview_opens_over_the_main_window() {
        window->move(100, 100);
        // Before any album: the sample picture.
        PreviewWindow* preview = open_preview_of(3);
        QVERIFY(preview);
        QCOMPARE(preview->pos(), QPoint(284, 261));
        QCOMPARE(preview->size(), QSize(380, 250));
        QVERIFY(!window->mask()->isHidden());
        QVERIFY(preview->large()->picture() == window->avatar_slot(3)->picture());
        QVERIFY(preview->small()->picture() == window->avatar_slot(3)->picture());
        QCOMPARE(preview->large()->size(), QSize(160, 160));
        QCOMPARE(preview->small()->size(), QSize(100, 100));

        // The second small button does nothing; Esc closes and the mask goes.
        QTest::mouseClick(preview->findChild<PictureButton*>(name("图形按钮2")), Qt::LeftButton);
        QVERIFY(window->preview());
        QTest::keyClick(preview, Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!window->preview(), wait_ms);
        QVERIFY(window->mask()->isHidden());

        // An empty slot opens nothing.
        window->avatar_slot(5)->set_picture({}, {});
        QVERIFY(!open_preview_of(5));
        QVERIFY(window->mask()->isHidden());
    }

    void saving_a_picture() {
        preview_clock = [] { return QDateTime(QDate(2024, 3, 5), QTime(9, 7, 8)); };
        const QString folder = home->path() + "/Desktop";
        const Bytes picture = window->avatar_slot(1)->picture();

        // Cancel: nothing written, preview and mask stay.
        QString offered_folder, offered_name, offered_filter;
        set_save_dialog([&](QWidget*, const QString& f, const QString& n, const QString& filter) {
            offered_folder = f;
            offered_name = n;
            offered_filter = filter;
            return std::optional<QString>();
        });
        PreviewWindow* preview = open_preview_of(1);
        QTest::mouseClick(preview->findChild<PictureButton*>(name("图形按钮3")), Qt::LeftButton);
        QCOMPARE(offered_name, QStringLiteral("Tobrin2024398"));
        QCOMPARE(offered_folder, folder);
        QCOMPARE(offered_filter, QStringLiteral("*.JPG"));
        QVERIFY(window->preview());
        QVERIFY(!window->mask()->isHidden());

        // "a.jpg" writes a.jpg.jpg with the bytes unchanged, then the preview closes.
        set_save_dialog([&](QWidget*, const QString& f, const QString&, const QString&) {
            return std::optional<QString>(f + "/a.jpg");
        });
        QTest::mouseClick(preview->findChild<PictureButton*>(name("图形按钮3")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window->preview(), wait_ms);
        QVERIFY(window->mask()->isHidden());
        QFile written(folder + "/a.jpg.jpg");
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().toStdString() == picture);
        QVERIFY(!QFile::exists(folder + "/a.jpg"));
    }

    void an_existing_file_is_replaced_only_when_confirmed() {
        const QString target = home->path() + "/Desktop/X.jpg";
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        set_save_dialog([&](QWidget*, const QString& f, const QString&, const QString&) {
            return std::optional<QString>(f + "/X");
        });
        QStringList asked;
        bool answer = false;
        set_confirm_dialog([&](QWidget*, const QString& text) {
            asked << text;
            return answer;
        });

        PreviewWindow* preview = open_preview_of(2);
        QTest::mouseClick(preview->findChild<PictureButton*>(name("图形按钮3")), Qt::LeftButton);
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].contains("X.jpg"));
        QVERIFY(window->preview());
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        old.close();

        answer = true;
        QTest::mouseClick(preview->findChild<PictureButton*>(name("图形按钮3")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window->preview(), wait_ms);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QVERIFY(old.readAll().toStdString() == window->avatar_slot(2)->picture());
    }

    void a_failed_write_is_reported_and_the_preview_stays() {
        // A folder that cannot exist: its parent is a plain file (root ignores permissions).
        const QString blocker = home->path() + "/Desktop/plain-file";
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        set_save_dialog([&](QWidget*, const QString&, const QString&, const QString&) {
            return std::optional<QString>(blocker + "/avatar");
        });
        QStringList told;
        set_message_dialog([&](QWidget*, const QString& text) { told << text; });

        PreviewWindow* preview = open_preview_of(4);
        QTest::mouseClick(preview->findChild<PictureButton*>(name("图形按钮3")), Qt::LeftButton);
        QCOMPARE(told.size(), 1);
        QVERIFY(told[0].contains("avatar.jpg"));
        QVERIFY(window->preview());
        QVERIFY(!window->mask()->isHidden());
    }

    void copying_a_picture() {
        load_list({"/album/C"});
        serve_album(*site, "/album/C", 1, 2, 1);
        press_thumbnail(1);
        QTRY_VERIFY_WITH_TIMEOUT(idle() && !window->avatar_slot(2)->picture().empty(), wait_ms);
        QCoreApplication::processEvents();

        PreviewWindow* preview = open_preview_of(2);
        QTest::mouseClick(preview->findChild<PictureButton*>(name("图形按钮4")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window->preview(), wait_ms);
        QVERIFY(window->mask()->isHidden());
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), QSize(152, 141)); // the picture's own size, not 160x160

        // Bytes that are no picture copy nothing, and the user hears of it.
        QStringList told;
        set_message_dialog([&](QWidget*, const QString& text) { told << text; });
        window->avatar_slot(3)->set_picture(Bytes("not a picture"));
        preview = open_preview_of(3);
        QTest::mouseClick(preview->findChild<PictureButton*>(name("图形按钮4")), Qt::LeftButton);
        QCOMPARE(told.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!window->preview(), wait_ms);
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(152, 141));
    }

    void closing_the_main_window_takes_the_preview() {
        QPointer<PreviewWindow> preview = open_preview_of(1);
        QVERIFY(preview);
        window->close();
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull() && preview.isNull(), wait_ms);
    }
};

QTEST_MAIN(AlbumPreviewTest)
#include "album_preview_test.moc"
