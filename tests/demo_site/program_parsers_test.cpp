// The program's own page cutting against every kind of demo page: what the
// site lays out is what the program finds.

#include "browse/site_pages.h"
#include "tools/demo-site/catalogue.h"
#include "tools/demo-site/demo_site.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace lumikko;

const std::string origin = "http://127.0.0.1:8480";

std::string body(const std::string& target) {
    return demo::answer(origin, target, "1.3").body;
}

struct ListCase {
    demo::ListKind kind;
    const char* word;
    const char* path; // without the page number
};

TEST(ProgramParsersOnDemoPages, ListsAndTheirAlbums) {
    const std::vector<ListCase> cases = {
        {demo::ListKind::hot, "", "/qqtouxiang/hot30//"},
        {demo::ListKind::good, "", "/qqtouxiang/good//"},
        {demo::ListKind::tag, "小清新", "/qqtouxiang/t/%E5%B0%8F%E6%B8%85%E6%96%B0/"},
        {demo::ListKind::search, "热门", "/qqtouxiang/s/%E7%83%AD%E9%97%A8/"},
        {demo::ListKind::search, "", "/qqtouxiang/s//"},
    };
    for (const ListCase& c : cases) {
        const demo::ListRef list{c.kind, c.word};
        const std::string path = c.path;
        const int pages = demo::list_page_count(list);
        for (int page = 1; page <= pages + 1; ++page) {
            SCOPED_TRACE(path + std::to_string(page));
            const std::vector<int> ids = demo::list_album_ids(list, page);
            const ListPage parsed = parse_list_page(body(path + std::to_string(page)));
            ASSERT_EQ(parsed.links.size(), ids.size());
            ASSERT_EQ(parsed.thumbnails.size(), ids.size());
            EXPECT_EQ(ids.size() == 20, page < pages);
            for (std::size_t k = 0; k < ids.size(); ++k) {
                const std::string id = std::to_string(ids[k]);
                EXPECT_TRUE(parsed.links[k].starts_with(origin));
                EXPECT_TRUE(parsed.links[k].ends_with("/" + id + ".html")) << parsed.links[k];
                EXPECT_NE(parsed.thumbnails[k].find(id), std::string::npos) << parsed.thumbnails[k];
            }
        }
    }
}

TEST(ProgramParsersOnDemoPages, AlbumPagesAndPagers) {
    const ListPage list = parse_list_page(body("/qqtouxiang/hot30//1"));
    ASSERT_EQ(list.links.size(), 20u);
    int paged_albums = 0;
    for (const std::string& link : list.links) {
        const std::string stem = link.substr(origin.size(), link.size() - origin.size() - 5);
        const demo::Album album = demo::album(std::stoi(stem.substr(stem.rfind('/') + 1)));
        for (int page = 1; page <= album.page_count(); ++page) {
            SCOPED_TRACE(stem + "_" + std::to_string(page));
            const AlbumPage parsed =
                parse_album_page(body(stem + "_" + std::to_string(page) + ".html"), page == 1);
            EXPECT_EQ(static_cast<int>(parsed.picture_urls.size()),
                      album.images_per_page[page - 1]);
            for (const std::string& url : parsed.picture_urls)
                EXPECT_TRUE(url.starts_with(origin + "/pic/")) << url;
            if (page == 1) {
                EXPECT_EQ(parsed.paged, album.page_count() > 1);
                if (parsed.paged) {
                    EXPECT_EQ(parsed.page_count, album.page_count());
                    ++paged_albums;
                }
            }
        }
    }
    EXPECT_GT(paged_albums, 0);
}

} // namespace
