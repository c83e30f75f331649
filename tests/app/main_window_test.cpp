// The main window against a scripted site: creation state, list pages and the
// grid, paging, superseded loads, the update check and shutting down.

#include "app/main_window.h"
#include "app/start_up.h"
#include "browse/browse_controls.h"
#include "browse/list_loader.h"
#include "browse/navigation.h"
#include "browse/state.h"
#include "net/http.h"
#include "net/origins.h"
#include "net/workers.h"
#include "res/resources.h"
#include "scripted_site.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace lumikko;
using namespace lumikko::testing;

namespace {

// A list of n albums whose thumbnails are distinct one-colour pictures.
struct ListFixture {
    std::vector<std::string> thumbnails, links, pictures;
};

ListFixture serve_list(ScriptedSite& site, const std::string& target, int n, const std::string& tag,
                       int thumbnail_delay_ms = 0) {
    ListFixture f;
    for (int k = 1; k <= n; ++k) {
        const std::string path = "/pic/" + tag + std::to_string(k) + ".png";
        f.thumbnails.push_back(site.origin() + path);
        f.links.push_back(site.origin() + "/album/" + tag + std::to_string(k) + ".html");
        f.pictures.push_back(png_picture(100 + k, 90, 0x102030u * static_cast<unsigned>(k)));
        site.set(path, {f.pictures.back(), 200, thumbnail_delay_ms, "image/png"});
    }
    site.set(target, {list_page_html(f.thumbnails, f.links)});
    return f;
}

PictureButton* button(QWidget* w, const char* utf8) {
    return w->findChild<PictureButton*>(name(utf8));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedSite> site;
    QPointer<MainWindow> window;

    MainWindow* open_window(bool check_updates = false) {
        window = new MainWindow(check_updates);
        window->show();
        return window;
    }

    void wait_for_list(const ListFixture& f) {
        const int filled = std::min<int>(18, static_cast<int>(f.links.size()));
        QTRY_VERIFY_WITH_TIMEOUT(thumbnails_shown == filled && idle(), wait_ms);
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void initTestCase() {
        init_resources();
        init_http();
    }

    void init() {
        site = std::make_unique<ScriptedSite>();
        site_origin = site->origin();
        forum_origin = site->origin();
        clear_navigation_state();
    }

    void cleanup() {
        delete window.data();
        stop_and_join_all_workers();
        QCoreApplication::processEvents();
        site.reset();
    }

    void creation_state() {
        MainWindow* w = open_window();
        QCOMPARE(w->size(), QSize(750, 530));
        QCOMPARE(w->mask()->geometry(), QRect(0, 0, 750, 530));
        QVERIFY(w->mask()->isHidden());
        QCOMPARE(w->tabs()->current_page(), 0);
        QVERIFY(button(w, "图形按钮3")->isHidden());
        QVERIFY(button(w, "图形按钮4")->isHidden());
        for (int k = 1; k <= 18; ++k)
            QVERIFY(w->grid_slot(k)->picture() == placeholder_picture());
        QVERIFY(!placeholder_picture().empty());
        QCOMPARE(list_page, 1);
        QVERIFY(list_tag.empty());
        QCOMPARE(list_base_url, site_origin + "/qqtouxiang/hot30/");
        QCOMPARE(list_url, site_origin + "/qqtouxiang/hot30//1");

        // The version label carries the version but lies below the window's edge.
        auto* version = w->findChild<QLabel*>(name("标签1"));
        QCOMPARE(version->text(), QStringLiteral("1.3"));
        QVERIFY(version->mapTo(w, QPoint(0, 0)).y() >= w->height());
        // Nothing is fetched before the update check says so.
        QTest::qWait(100);
        QVERIFY(site->requests().empty());
    }

    void twenty_albums_fill_the_grid_and_page_on() {
        const ListFixture f = serve_list(*site, "/qqtouxiang/hot30//1", 20, "a");
        serve_list(*site, "/qqtouxiang/hot30//2", 20, "b");
        MainWindow* w = open_window();
        start_list_load();
        wait_for_list(f);

        QCOMPARE(browse_controls.albums->count(), 20);
        for (int k = 0; k < 20; ++k)
            QCOMPARE(browse_controls.albums->item(k), f.links[k]);
        QCOMPARE(text_split(list_thumbnail_urls, "\r\n"), f.thumbnails);
        for (int k = 1; k <= 18; ++k)
            QVERIFY2(w->grid_slot(k)->picture() == f.pictures[k - 1],
                     qPrintable(QString::number(k)));
        QVERIFY(!w->grid_slot(1)->image().isNull());
        QCOMPARE(site->count("/pic/a19.png"), 0);
        QTRY_VERIFY_WITH_TIMEOUT(button(w, "下一页")->isEnabled(), wait_ms);
        QVERIFY(button(w, "上一页")->isEnabled());

        // 上一页 on page 1: no request, nothing reset.
        site->clear_requests();
        QTest::mouseClick(button(w, "上一页"), Qt::LeftButton);
        QTest::qWait(200);
        QVERIFY(site->requests().empty());
        QVERIFY(w->grid_slot(1)->picture() == f.pictures[0]);

        QTest::mouseClick(button(w, "下一页"), Qt::LeftButton);
        QCOMPARE(list_page, 2);
        QVERIFY(!button(w, "下一页")->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(site->count("/qqtouxiang/hot30//2"), 1, wait_ms);
        QTRY_VERIFY_WITH_TIMEOUT(
            browse_controls.albums->item(0) == site->origin() + "/album/b1.html", wait_ms);
    }

    void short_list_and_failed_thumbnail() {
        ListFixture f = serve_list(*site, "/qqtouxiang/hot30//1", 5, "s");
        // The third thumbnail lives on a port where nothing listens.
        f.thumbnails[2] = "http://127.0.0.1:1/gone.png";
        site->set("/qqtouxiang/hot30//1", {list_page_html(f.thumbnails, f.links)});
        MainWindow* w = open_window();
        start_list_load();
        wait_for_list(f);

        QCOMPARE(browse_controls.albums->count(), 5);
        QVERIFY(w->grid_slot(3)->picture().empty());
        for (int k : {1, 2, 4, 5})
            QVERIFY(w->grid_slot(k)->picture() == f.pictures[k - 1]);
        for (int k = 6; k <= 18; ++k)
            QVERIFY(w->grid_slot(k)->picture() == placeholder_picture());
        QVERIFY(!button(w, "上一页")->isEnabled());
        QVERIFY(!button(w, "下一页")->isEnabled());
    }

    void unreachable_site_leaves_placeholders() {
        site_origin = "http://127.0.0.1:1";
        MainWindow* w = open_window();
        start_list_load();
        QTRY_VERIFY_WITH_TIMEOUT(idle(), wait_ms);
        QCoreApplication::processEvents();
        QCOMPARE(browse_controls.albums->count(), 0);
        for (int k = 1; k <= 18; ++k)
            QVERIFY(w->grid_slot(k)->picture() == placeholder_picture());
        QVERIFY(!button(w, "上一页")->isEnabled());
        QVERIFY(!button(w, "下一页")->isEnabled());
    }

    void newer_list_load_wins() {
        // First case: the first list page is still on its way.
        site->set("/qqtouxiang/hot30//1", {list_page_html({site->origin() + "/pic/x.png"},
                                                          {site->origin() + "/album/x.html"}),
                                           200, 800});
        // Second case, started later: thumbnails that trickle in slowly.
        const ListFixture slow = serve_list(*site, "/qqtouxiang/good//1", 20, "slow", 150);
        const ListFixture tag =
            serve_list(*site, "/qqtouxiang/t/%E5%B0%8F%E6%B8%85%E6%96%B0/1", 20, "tag");
        MainWindow* w = open_window();

        start_list_load();
        on_list_button_clicked("按钮11");
        QTRY_VERIFY_WITH_TIMEOUT(thumbnails_shown >= 2, wait_ms);
        on_list_button_clicked("按钮1");
        wait_for_list(tag);
        QTest::qWait(1200); // longer than any superseded answer still on its way

        QCOMPARE(browse_controls.albums->count(), 20);
        for (int k = 0; k < 20; ++k)
            QCOMPARE(browse_controls.albums->item(k), tag.links[k]);
        for (int k = 1; k <= 18; ++k)
            QVERIFY(w->grid_slot(k)->picture() == tag.pictures[k - 1]);
        QCOMPARE(thumbnails_shown, 18);
        QCOMPARE(text_split(list_thumbnail_urls, "\r\n"), tag.thumbnails);
        // The superseded thumbnail loader stopped instead of fetching on.
        QVERIFY(site->count("/pic/slow18.png") == 0);
        QVERIFY(site->count("/pic/x.png") == 0);
    }

    void update_check_with_same_version_loads_the_list() {
        site->set("/viewthread.php?tid=6&extra=page%3D1", {forum_post_html("42")});
        site->set("/attachment.php?aid=42", {notice_gbk("1.3", "http://example.invalid/get")});
        const ListFixture f = serve_list(*site, "/qqtouxiang/hot30//1", 20, "h");
        open_window(true);
        wait_for_list(f);
        QVERIFY(window);
        QCOMPARE(site->count("/attachment.php?aid=42"), 1);
    }

    void update_check_with_new_version_opens_address_and_closes() {
        site->set("/viewthread.php?tid=6&extra=page%3D1", {forum_post_html("7")});
        site->set("/attachment.php?aid=7",
                  {notice_gbk("1.4", "http://downloads.test/lumikko-1.4")});
        opened.clear();
        QDesktopServices::setUrlHandler("http", this, "open_url");
        open_window(true);
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), wait_ms);
        QDesktopServices::unsetUrlHandler("http");
        QCOMPARE(opened, QList<QUrl>{QUrl("http://downloads.test/lumikko-1.4")});
    }

    void update_check_table_of_going_on() {
        // No readable version, or no usable address: the program goes on.
        struct Case {
            const char* what;
            std::string post, notice;
        };
        const std::vector<Case> cases = {
            {"forum missing", "", ""},
            {"no attachment link", "<html>nothing</html>", ""},
            {"version without ]", forum_post_html("3"), notice_gbk("1.4", "x").substr(0, 18)},
            {"address not http", forum_post_html("3"), notice_gbk("1.4", "file:///etc/passwd")},
        };
        for (const Case& c : cases) {
            site = std::make_unique<ScriptedSite>();
            site_origin = forum_origin = site->origin();
            clear_navigation_state();
            if (!c.post.empty())
                site->set("/viewthread.php?tid=6&extra=page%3D1", {c.post});
            if (!c.notice.empty())
                site->set("/attachment.php?aid=3", {c.notice});
            opened.clear();
            QDesktopServices::setUrlHandler("file", this, "open_url");
            const ListFixture f = serve_list(*site, "/qqtouxiang/hot30//1", 3, "u");
            open_window(true);
            wait_for_list(f);
            QVERIFY2(window, c.what);
            QVERIFY2(browse_controls.albums->count() == 3, c.what);
            QVERIFY2(opened.isEmpty(), c.what);
            QDesktopServices::unsetUrlHandler("file");
            delete window.data();
            stop_and_join_all_workers();
        }
    }

    void closing_while_loading_ends_the_program() {
        // The list page would take longer than any time-out; closing must not wait for it.
        site->set("/qqtouxiang/hot30//1", {"", 200, 60000});
        QTimer::singleShot(500, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<MainWindow*>(w))
                    w->close();
        });
        QElapsedTimer timer;
        timer.start();
        const int before = free_globals_calls();
        QCOMPARE(start_up(), 0);
        QVERIFY(timer.elapsed() < 10000);
        QCOMPARE(free_globals_calls(), before + 1);
        QCOMPARE(running_workers(), 0);
        QVERIFY(list_url.empty());
        free_globals();
        QCOMPARE(free_globals_calls(), before + 2); // counted, but releases nothing twice
    }

public Q_SLOTS:
    void open_url(const QUrl& url) { opened.append(url); }

private:
    QList<QUrl> opened;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
