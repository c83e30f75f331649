#include "browse/album_loader.h"

#include "app/toolkit/picture_decoder.h"
#include "app/toolkit/ui_thread.h"
#include "browse/browse_controls.h"
#include "browse/site_pages.h"
#include "browse/state.h"
#include "net/http.h"
#include "net/workers.h"

#include <algorithm>
#include <string>

namespace lumikko {

namespace {

int album_load = 0;
WorkerHandle album_loader_thread = 0;

bool is_current(int load) {
    return load == album_load && browse_window_alive();
}

} // namespace

void on_thumbnail_pressed(int n) {
    if (!browse_window_alive())
        return;
    album_url = browse_controls.albums->item(n - 1);
    album_page = 1;
    open_album_page();
}

void open_album_page() {
    if (!browse_window_alive())
        return;
    for (Canvas* slot : browse_controls.avatars)
        slot->set_picture({}, {});
    browse_controls.tabs->set_current_page(1);
    album_url = text_replace_all(album_url, ".html", "");
    Text page_url = album_url + "_" + std::to_string(album_page) + ".html";

    // An older album load would only be overwritten: stop its transfers too.
    stop_worker(album_loader_thread);
    const int load = ++album_load;
    const bool first_page = album_page == 1;
    album_loader_thread =
        start_worker([load, page_url = std::move(page_url), first_page](std::stop_token stop) {
            load_album_page(stop, load, page_url, first_page);
        });
}

void on_album_previous_clicked() {
    if (album_page == 1)
        return;
    --album_page;
    if (album_page == 1)
        browse_controls.album_previous->hide();
    browse_controls.album_next->show();
    open_album_page();
}

void on_album_next_clicked() {
    if (album_page + 1 > album_page_count)
        return;
    ++album_page;
    if (album_page == album_page_count)
        browse_controls.album_next->hide();
    browse_controls.album_previous->show();
    open_album_page();
}

void load_album_page(std::stop_token stop, int load, Text page_url, bool first_page) {
    // A missing list item leaves only "_1.html": not worth a host lookup.
    const bool no_album = page_url.starts_with('_');
    const Bytes body = no_album ? Bytes() : read_http_file(page_url, stop);
    if (stop.stop_requested())
        return;
    const AlbumPage page = parse_album_page(body_to_text(body), first_page);

    if (first_page) {
        post_to_ui(ui_context(), [load, paged = page.paged, count = page.page_count] {
            if (!is_current(load))
                return;
            album_page_count = count;
            browse_controls.album_previous->hide();
            browse_controls.album_next->setVisible(paged);
        });
    }

    const int slots = std::min<int>(avatar_slots, static_cast<int>(page.picture_urls.size()));
    for (int k = 0; k < slots; ++k) {
        // An empty source keeps its slot empty; the next URL goes to the next slot.
        if (page.picture_urls[k].empty())
            continue;
        Bytes picture = http_request(page.picture_urls[k], {}, std::nullopt, {}, {}, nullptr, stop);
        if (stop.stop_requested())
            return;
        QImage image = decode_picture(picture);
        post_to_ui(ui_context(), [load, k, picture = std::move(picture), image = std::move(image)] {
            if (is_current(load))
                browse_controls.avatars[k]->set_picture(picture, image);
        });
    }
}

} // namespace lumikko
