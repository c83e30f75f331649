#include "browse/list_loader.h"

#include "app/toolkit/picture_decoder.h"
#include "app/toolkit/ui_thread.h"
#include "browse/browse_controls.h"
#include "browse/site_pages.h"
#include "browse/state.h"
#include "net/http.h"
#include "net/origins.h"
#include "net/workers.h"

#include <algorithm>

namespace lumikko {

namespace {

constexpr int grid_slots = 18;

int list_load = 0;
// Shared by a list load's page loader and the thumbnail loader it starts, so
// one stop reaches both, whether or not the page loader has ended.
std::stop_source list_load_stop;

bool is_current(int load) {
    return load == list_load && browse_window_alive();
}

void set_list_paging_enabled(bool on) {
    browse_controls.list_previous->setEnabled(on);
    browse_controls.list_next->setEnabled(on);
}

} // namespace

void reset_list_view() {
    if (!browse_window_alive())
        return;
    browse_controls.albums->clear_items();
    for (Canvas* slot : browse_controls.grid)
        slot->set_picture(placeholder_picture(), placeholder_image());
}

void start_list_load() {
    stop_worker(list_loader_thread);
    list_load_stop.request_stop();
    list_load_stop = std::stop_source();
    const int load = ++list_load;

    list_url = compose_list_url();
    reset_list_view();
    // What the page loader does first, done here at once so that a second click
    // on a paging button cannot slip in before the worker gets going.
    if (browse_window_alive()) {
        set_list_paging_enabled(false);
        browse_controls.tabs->set_current_page(0);
    }
    const std::stop_token load_stop = list_load_stop.get_token();
    list_loader_thread =
        start_worker([load, url = list_url, load_stop](
                         std::stop_token stop) { load_list_page(stop, load, url, load_stop); },
                     load_stop);
}

void start_list(std::string_view path, Text tag) {
    list_page = 1;
    list_tag = std::move(tag);
    list_base_url = site_origin + Text(path);
    start_list_load();
}

void set_up_hot_list() {
    list_page = 1;
    list_tag.clear();
    list_base_url = site_origin + "/qqtouxiang/hot30/";
    list_url = compose_list_url();
    reset_list_view();
}

void on_list_previous_clicked() {
    if (list_page == 1)
        return;
    --list_page;
    start_list_load();
}

void on_list_next_clicked() {
    ++list_page;
    start_list_load();
}

void load_list_page(std::stop_token stop, int load, Text url, std::stop_token load_stop) {
    const Bytes body = read_http_file(url, stop);
    if (stop.stop_requested())
        return;
    ListPage page = parse_list_page(body_to_text(body));

    post_to_ui(ui_context(), [load, page = std::move(page), load_stop] {
        if (!is_current(load))
            return;
        list_thumbnail_urls.clear();
        for (std::size_t k = 0; k < page.links.size(); ++k) {
            list_thumbnail_urls += page.thumbnails[k] + "\r\n";
            browse_controls.albums->append(page.links[k]);
        }
        thumbnails_shown = 0;
        // The thumbnail loader stops with the list load that started it.
        start_worker([load, urls = page.thumbnails](
                         std::stop_token stop) { load_list_thumbnails(stop, load, urls); },
                     load_stop);
    });
}

void load_list_thumbnails(std::stop_token stop, int load, TextArray urls) {
    const int slots = std::min<int>(grid_slots, static_cast<int>(urls.size()));
    for (int k = 0; k < slots; ++k) {
        Bytes picture = http_request(urls[k], {}, std::nullopt, {}, {}, nullptr, stop);
        if (stop.stop_requested())
            return;
        QImage image = decode_picture(picture);
        post_to_ui(ui_context(), [load, k, picture = std::move(picture), image = std::move(image)] {
            if (!is_current(load))
                return;
            browse_controls.grid[k]->set_picture(picture, image);
            ++thumbnails_shown;
            if (k == grid_slots - 1)
                set_list_paging_enabled(true);
        });
    }
}

} // namespace lumikko
