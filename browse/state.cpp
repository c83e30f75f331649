#include "browse/state.h"

#include <string>

namespace lumikko {

Text album_url;
int album_page = 0;
int album_page_count = 0;
int list_page = 0;
WorkerHandle list_loader_thread = 0;
Text list_url;
Text list_base_url;
Text list_tag;
Text list_thumbnail_urls;
int thumbnails_shown = 0;

void clear_navigation_state() {
    album_url.clear();
    album_page = 0;
    album_page_count = 0;
    list_page = 0;
    list_loader_thread = 0;
    list_url.clear();
    list_base_url.clear();
    list_tag.clear();
    list_thumbnail_urls.clear();
    thumbnails_shown = 0;
}

Text compose_list_url() {
    return list_base_url + list_tag + "/" + std::to_string(list_page);
}

} // namespace lumikko
