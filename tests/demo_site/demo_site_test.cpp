#include "tests/demo_site/decode.h"
#include "tools/demo-site/demo_site.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <set>
#include <thread>

namespace lumikko::demo {
namespace {

// Markers the program cuts the pages with, byte for byte.
const std::string list_start = "<div class=\"c clearx\">";
const std::string list_end = "</div>\r\n                <div class=\"r right\">\r";
const std::string thumb_sep = "\" src=\"";
const std::string link_sep = "</span><a href=\"";
const std::string album_start = "List clearx avatarList1\" id=\"J_avatarList\">";
const std::string album_end = "<div class=\"fx";
const std::string pager_marker = "</a><a class=\"bg_white";
const std::string image_marker = "<img src=\"";
const std::string ye = "页";

// Text after the first start marker up to the next end marker; empty when either is missing.
std::string between(const std::string& text, const std::string& start, const std::string& end) {
    const auto a = text.find(start);
    if (a == std::string::npos)
        return {};
    const auto b = text.find(end, a + start.size());
    return b == std::string::npos ? std::string()
                                  : text.substr(a + start.size(), b - a - start.size());
}

// The pieces after each separator, each cut at its first double quote.
std::vector<std::string> values_after(const std::string& text, const std::string& sep) {
    std::vector<std::string> values;
    for (auto at = text.find(sep); at != std::string::npos; at = text.find(sep, at + sep.size())) {
        const auto from = at + sep.size();
        values.push_back(text.substr(from, text.find('"', from) - from));
    }
    return values;
}

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

int attribute(const std::string& tag_text, const std::string& name) {
    const std::string key = name + "=\"";
    const auto at = tag_text.find(key);
    return at == std::string::npos ? -1 : std::stoi(tag_text.substr(at + key.size()));
}

std::optional<test::Decoded> decode(const std::string& bytes) {
    if (bytes.starts_with("\xFF\xD8\xFF"))
        return test::decode_jpeg(bytes);
    if (bytes.starts_with("\x89PNG\r\n\x1A\n"))
        return test::decode_png(bytes);
    return std::nullopt;
}

class DemoSiteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        site = std::make_unique<DemoSite>();
        ASSERT_GT(site->start(), 0);
    }
    static void TearDownTestSuite() { site.reset(); }
    void SetUp() override {
        site->set_delay_ms(0);
        site->set_announce("1.3");
        site->set_notice_body(std::nullopt);
        site->clear_request_log();
    }

    struct Reply {
        int status = 0;
        std::string type;
        std::string body;
    };
    static Reply get(const std::string& target) {
        httplib::Client client("127.0.0.1", site->port());
        client.set_read_timeout(30);
        auto res = client.Get(target);
        if (!res)
            return {};
        return {res->status, res->get_header_value("Content-Type"), res->body};
    }
    // URL as the page gives it -> target on our server.
    static std::string target_of(const std::string& url) {
        const std::string origin = site->origin();
        EXPECT_TRUE(url.starts_with(origin + "/")) << url;
        return url.substr(origin.size());
    }

    struct ListAlbum {
        std::string thumb, album;
    };
    static std::vector<ListAlbum> albums_of(const std::string& page) {
        const std::string block = between(page, list_start, list_end);
        const auto thumbs = values_after(block, thumb_sep);
        const auto links = values_after(block, link_sep);
        EXPECT_EQ(thumbs.size(), links.size());
        std::vector<ListAlbum> out;
        for (std::size_t k = 0; k < std::min(thumbs.size(), links.size()); ++k)
            out.push_back({thumbs[k], links[k]});
        return out;
    }

    static inline std::unique_ptr<DemoSite> site;
};

// ---- list pages ------------------------------------------------------------------

struct ListCase {
    std::string prefix; // target up to the page number
};

class ListPages : public DemoSiteTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ListPages, FullPagesThenAShortLastPageThenEmptyPages) {
    std::vector<std::size_t> sizes;
    for (int page = 1; page <= 7; ++page) {
        const Reply r = get(GetParam().prefix + std::to_string(page));
        ASSERT_EQ(r.status, 200);
        EXPECT_EQ(r.type, "text/html; charset=utf-8");
        ASSERT_EQ(count(r.body, list_start), 1u) << page;
        ASSERT_EQ(count(r.body, list_end), 1u) << page;
        ASSERT_LT(r.body.find(list_start), r.body.find(list_end));
        // The end marker is followed by more of the page.
        EXPECT_GT(r.body.size(), r.body.find(list_end) + list_end.size() + 100);

        const auto albums = albums_of(r.body);
        for (const auto& a : albums) {
            // The k-th thumbnail and the k-th link are the same album.
            const auto thumb = target_of(a.thumb), link = target_of(a.album);
            const std::string id = thumb.substr(11, 5);
            EXPECT_TRUE(thumb.starts_with("/pic/thumb/")) << thumb;
            EXPECT_TRUE(link.ends_with("/" + id + ".html")) << link << " vs " << thumb;
            EXPECT_TRUE(picture_spec(thumb).has_value()) << thumb;
        }
        sizes.push_back(albums.size());
    }
    const auto last = std::find_if(sizes.begin(), sizes.end(), [](auto n) { return n != 20; });
    ASSERT_NE(last, sizes.end());
    const auto full_pages = last - sizes.begin();
    EXPECT_GE(full_pages, 2);
    EXPECT_LE(full_pages, 4);
    EXPECT_GT(*last, 0u);
    EXPECT_LT(*last, 18u);
    EXPECT_TRUE(std::all_of(last + 1, sizes.end(), [](auto n) { return n == 0; }));
}

std::vector<ListCase> list_cases() {
    std::vector<ListCase> cases{{"/qqtouxiang/hot30//"},
                                {"/qqtouxiang/good//"},
                                {"/qqtouxiang/s/%E7%83%AD%E9%97%A8/"},
                                {"/qqtouxiang/s//"},
                                {"/qqtouxiang/s/%61%62/"},
                                {"/qqtouxiang/s/%FF%20x/"},
                                {"/qqtouxiang/t/%E7%8C%AB/"}};
    for (const auto& word : tag_words())
        cases.push_back({"/qqtouxiang/t/" + percent_encode(word) + "/"});
    return cases;
}
INSTANTIATE_TEST_SUITE_P(Lists, ListPages, ::testing::ValuesIn(list_cases()));

TEST_F(DemoSiteTest, TagWordsAreTheSixteenButtonWords) {
    ASSERT_EQ(tag_words().size(), 16u);
    EXPECT_EQ(percent_encode(tag_words()[0]), "%E5%B0%8F%E6%B8%85%E6%96%B0");
    EXPECT_EQ(percent_encode(tag_words()[9]), "%E9%9D%9E%E4%B8%BB%E6%B5%81");
}

TEST_F(DemoSiteTest, SearchWordsGiveTheirOwnAlbums) {
    auto ids = [&](const std::string& encoded) {
        std::set<std::string> out;
        for (const auto& a : albums_of(get("/qqtouxiang/s/" + encoded + "/1").body))
            out.insert(a.album);
        return out;
    };
    const std::vector<std::string> words{"%E7%83%AD%E9%97%A8", "%E6%90%9C%E7%B4%A2", "%61%62",
                                         "%61%63", ""};
    std::vector<std::set<std::string>> results;
    for (const auto& w : words) {
        results.push_back(ids(w));
        EXPECT_EQ(results.back().size(), 20u) << w;
    }
    for (std::size_t i = 0; i < results.size(); ++i)
        for (std::size_t j = i + 1; j < results.size(); ++j)
            EXPECT_NE(results[i], results[j]) << words[i] << " / " << words[j];
    EXPECT_EQ(ids(words[0]), results[0]);
}

TEST_F(DemoSiteTest, LogKeepsTheTargetAsSent) {
    const std::vector<std::string> targets{
        "/qqtouxiang/hot30//1", "/qqtouxiang/t/%E5%B0%8F%E6%B8%85%E6%96%B0/1", "/qqtouxiang/s//1",
        "/viewthread.php?tid=6&extra=page%3D1"};
    for (const auto& t : targets)
        get(t);
    EXPECT_EQ(site->request_log(), targets);
    const auto requests = site->requests();
    ASSERT_EQ(requests.size(), targets.size());
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].header("HOST"), "127.0.0.1:" + std::to_string(site->port()));
    site->clear_request_log();
    EXPECT_TRUE(site->request_log().empty());
}

// ---- albums ------------------------------------------------------------------------

TEST_F(DemoSiteTest, AlbumPagesCarryTheirImagesAndPager) {
    std::set<int> first_page_counts, last_page_counts, page_counts;
    for (int list_page = 1; list_page <= 2; ++list_page) {
        for (const auto& entry :
             albums_of(get("/qqtouxiang/hot30//" + std::to_string(list_page)).body)) {
            const std::string path = target_of(entry.album);
            const std::string stem = path.substr(0, path.size() - 5);
            const Album a = album(std::stoi(stem.substr(stem.rfind('/') + 1)));
            page_counts.insert(a.page_count());
            for (int page = 1; page <= a.page_count(); ++page) {
                const Reply r = get(stem + "_" + std::to_string(page) + ".html");
                ASSERT_EQ(r.status, 200) << stem << " " << page;
                const std::string block = between(r.body, album_start, album_end);
                ASSERT_FALSE(block.empty()) << stem;
                const auto urls = values_after(block, image_marker);
                EXPECT_EQ(static_cast<int>(urls.size()), a.images_per_page[page - 1]);
                if (page < a.page_count()) {
                    EXPECT_GE(urls.size(), 12u);
                }
                if (page == 1)
                    first_page_counts.insert(static_cast<int>(urls.size()));
                if (page == a.page_count())
                    last_page_counts.insert(static_cast<int>(urls.size()));
                for (const auto& url : urls) {
                    EXPECT_TRUE(url.find('%') == std::string::npos) << url;
                    EXPECT_TRUE(picture_spec(target_of(url)).has_value()) << url;
                }
                if (a.page_count() == 1) {
                    EXPECT_EQ(block.find(pager_marker), std::string::npos) << stem;
                    EXPECT_EQ(count(block, ye), 0u);
                } else {
                    EXPECT_NE(block.find(pager_marker), std::string::npos) << stem;
                    EXPECT_EQ(count(percent_decode(block), ye),
                              static_cast<std::size_t>(a.page_count()))
                        << stem;
                    EXPECT_NE(block.find('%'), std::string::npos) << stem;
                }
            }
            const Reply beyond = get(stem + "_" + std::to_string(a.page_count() + 1) + ".html");
            EXPECT_EQ(beyond.status, 404);
            EXPECT_EQ(beyond.type, "text/html; charset=utf-8");
            EXPECT_TRUE(between(beyond.body, album_start, album_end).empty());
        }
    }
    // The hot list shows albums of every shape the program has to handle.
    EXPECT_TRUE(page_counts.contains(1));
    EXPECT_TRUE(page_counts.contains(3) || page_counts.contains(4));
    EXPECT_TRUE(first_page_counts.contains(15));
    EXPECT_LT(*last_page_counts.begin(), 12);
}

TEST_F(DemoSiteTest, EncodedPagerCountsOnlyAfterDecoding) {
    // Even albums write 页 only inside escapes, odd ones as text.
    int even = first_album_id, odd = first_album_id + 1;
    while (album(even).page_count() < 2)
        even += 2;
    while (album(odd).page_count() < 2)
        odd += 2;
    for (int id : {even, odd}) {
        const Album a = album(id);
        const std::string block =
            between(*album_page(site->origin(), id, 1), album_start, album_end);
        EXPECT_EQ(count(percent_decode(block), ye), static_cast<std::size_t>(a.page_count()));
        EXPECT_EQ(count(block, ye), id == even ? 0u : static_cast<std::size_t>(a.page_count()));
    }
}

TEST_F(DemoSiteTest, AlbumUrlWithoutPageIsItsFirstPage) {
    const Album a = album(first_album_id + 123);
    EXPECT_EQ(get(album_path(a)).body, get(album_page_path(a, 1)).body);
}

// ---- pictures ------------------------------------------------------------------------

TEST_F(DemoSiteTest, PicturesDecodeAtTheirStatedSize) {
    std::set<int> thumb_sizes, avatar_sizes;
    std::set<std::string> formats, distinct;
    const std::string page = get("/qqtouxiang/good//1").body;
    const std::string block = between(page, list_start, list_end);
    std::vector<std::string> tags; // "<img ... >" of thumbnails and of some avatars
    for (auto at = block.find("<img "); at != std::string::npos; at = block.find("<img ", at + 1))
        tags.push_back(block.substr(at, block.find('>', at) - at));
    const auto first_album = albums_of(page).front().album;
    const std::string first_path = target_of(first_album);
    const std::string album_html =
        get(first_path.substr(0, first_path.size() - 5) + "_1.html").body;
    const std::string album_block = between(album_html, album_start, album_end);
    const std::size_t thumbs = tags.size();
    for (auto at = album_block.find(image_marker); at != std::string::npos;
         at = album_block.find(image_marker, at + 1))
        tags.push_back(album_block.substr(at, album_block.find('>', at) - at));

    for (std::size_t k = 0; k < tags.size(); ++k) {
        const std::string url = values_after(tags[k], "src=\"").front();
        const std::string target = target_of(url);
        const auto spec = picture_spec(target);
        ASSERT_TRUE(spec.has_value()) << target;
        const Reply r = get(target);
        ASSERT_EQ(r.status, 200) << target;
        const bool png = spec->format == PictureFormat::png;
        EXPECT_EQ(r.type, png ? "image/png" : "image/jpeg");
        EXPECT_TRUE(target.ends_with(png ? ".png" : ".jpg"));
        const auto image = decode(r.body);
        ASSERT_TRUE(image.has_value()) << target;
        EXPECT_EQ(image->width, spec->width) << target;
        EXPECT_EQ(image->height, spec->height) << target;
        EXPECT_EQ(attribute(tags[k], "width"), spec->width) << target;
        EXPECT_EQ(attribute(tags[k], "height"), spec->height) << target;
        std::set<std::string> colours;
        for (std::size_t p = 0; p + 3 <= image->rgb.size(); p += 3 * 7)
            colours.insert(image->rgb.substr(p, 3));
        EXPECT_GT(colours.size(), 40u) << target << " is nearly flat";
        (k < thumbs ? thumb_sizes : avatar_sizes).insert(image->width);
        formats.insert(png ? "png" : "jpeg");
        distinct.insert(r.body);
        EXPECT_EQ(get(target).body, r.body) << "not the same bytes twice: " << target;
    }
    EXPECT_EQ(thumbs, 20u);
    EXPECT_GE(*thumb_sizes.begin(), 120);
    EXPECT_GT(*thumb_sizes.rbegin(), 120);
    EXPECT_EQ(formats.size(), 2u);
    EXPECT_EQ(distinct.size(), tags.size());
    EXPECT_TRUE(avatar_sizes.contains(200));
}

TEST_F(DemoSiteTest, AvatarSizesAcrossAlbums) {
    std::set<int> sizes;
    for (int id = first_album_id; id < first_album_id + 20; ++id) {
        const Album a = album(id);
        for (int k = 1; k <= a.images_per_page[0]; ++k)
            sizes.insert(avatar_spec(id, 1, k).width);
    }
    EXPECT_EQ(sizes, (std::set<int>{100, 150, 200}));
}

// ---- forum -----------------------------------------------------------------------------

TEST_F(DemoSiteTest, ForumPostLinksTheNotice) {
    const Reply post = get("/viewthread.php?tid=6&extra=page%3D1");
    ASSERT_EQ(post.status, 200);
    const std::string aid = between(post.body, "attachment.php?aid=", "\" target=");
    EXPECT_EQ(aid, std::to_string(notice_attachment_id));
    EXPECT_NE(post.body.find("attachment.php?aid=" + aid + "\" target=\"_blank\""),
              std::string::npos);
}

TEST_F(DemoSiteTest, NoticeIsGbkWithVersionAndAddress) {
    const std::string version_gbk = "\xB0\xE6\xB1\xBE["; // 版本[
    const std::string address_gbk = "\xB5\xD8\xD6\xB7["; // 地址[
    for (const std::string announce : {"1.3", "1.4"}) {
        site->set_announce(announce);
        const Reply notice = get("/attachment.php?aid=" + std::to_string(notice_attachment_id));
        ASSERT_EQ(notice.status, 200);
        EXPECT_EQ(notice.body.find("版本["), std::string::npos) << "not GBK";
        EXPECT_EQ(between(notice.body, version_gbk, "]"), announce);
        const std::string address = between(notice.body, address_gbk, "]");
        EXPECT_EQ(address, site->origin() + "/download/lumikko-" + announce);
        const Reply download = get(target_of(address));
        EXPECT_EQ(download.status, 200);
        EXPECT_NE(download.body.find("lumikko-" + announce), std::string::npos);
    }
    EXPECT_EQ(to_gbk("版本[1.3]地址[x]"), version_gbk + "1.3]" + address_gbk + "x]");
    EXPECT_EQ(to_gbk("a\xF0\x9F\x98\x80"
                     "b"),
              "a?b"); // not in GBK
}

TEST_F(DemoSiteTest, NoticeBodyCanBeReplaced) {
    site->set_notice_body("no markers here");
    EXPECT_EQ(get("/attachment.php?aid=17").body, "no markers here");
    EXPECT_NE(get("/viewthread.php?tid=6&extra=page%3D1").body, "no markers here");
}

// ---- errors, delay, stop ---------------------------------------------------------------

class UnknownTargets : public DemoSiteTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(UnknownTargets, AreNotFound) {
    const Reply r = get(GetParam());
    EXPECT_EQ(r.status, 404);
    EXPECT_EQ(r.type, "text/html; charset=utf-8");
    EXPECT_NE(r.body.find("404"), std::string::npos);
    EXPECT_TRUE(between(r.body, list_start, list_end).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Targets, UnknownTargets,
    ::testing::Values("/nothing", "/qqtouxiang/hot30/1", "/qqtouxiang/hot30//0",
                      "/qqtouxiang/hot30//01", "/qqtouxiang/t/a/b/1", "/qqtouxiang/s/x/",
                      "/qqtouxiang/nvsheng/5_1.html", "/qqtouxiang/wrong/10000_1.html",
                      "/qqtouxiang/nvsheng/10000_0.html", "/pic/thumb/5.jpg",
                      "/pic/thumb/10000.gif", "/pic/10000/1_99.jpg", "/pic/10000/9_1.jpg",
                      "/attachment.php?aid=3", "/viewthread.php?tid=7", "/download/"));

TEST_F(DemoSiteTest, DelayHoldsBackEveryAnswer) {
    site->set_delay_ms(300);
    for (const std::string target : {"/qqtouxiang/hot30//1", "/pic/thumb/10000.jpg", "/nothing"}) {
        const auto start = std::chrono::steady_clock::now();
        get(target);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300))
            << target;
    }
}

TEST(DemoSiteLifetime, StopEndsADelayedAnswerAndFreesThePort) {
    DemoSite own({.delay_ms = 60000});
    const int port = own.start();
    ASSERT_GT(port, 0);
    EXPECT_EQ(own.origin(), "http://127.0.0.1:" + std::to_string(port));
    EXPECT_EQ(own.start(), -1) << "already serving";
    auto pending = std::async(std::launch::async, [port] {
        httplib::Client client("127.0.0.1", port);
        client.set_read_timeout(90);
        return client.Get("/qqtouxiang/hot30//1");
    });
    ASSERT_TRUE(own.wait_for_requests(1, std::chrono::seconds(30)));
    own.stop(); // must not wait out the minute
    pending.get();
    EXPECT_FALSE(own.running());
    httplib::Client after("127.0.0.1", port);
    EXPECT_FALSE(after.Get("/"));

    DemoSite again;
    EXPECT_EQ(again.start(port), port);
}

TEST(DemoSiteLifetime, BusyPortFails) {
    DemoSite first;
    const int port = first.start();
    ASSERT_GT(port, 0);
    DemoSite second;
    EXPECT_EQ(second.start(port), -1);
}

} // namespace
} // namespace lumikko::demo
