#pragma once
// The navigation state: what the program remembers between one user action and
// the next. Touched only on the UI thread; workers are handed copies.

#include "browse/text.h"
#include "net/workers.h"

namespace lumikko {

extern Text album_url;
extern int album_page;
extern int album_page_count;
extern int list_page;
extern WorkerHandle list_loader_thread;
extern Text list_url;
extern Text list_base_url;
extern Text list_tag;
extern Text list_thumbnail_urls;
extern int thumbnails_shown;

// Back to the values at load: every number 0, every text empty.
void clear_navigation_state();

// list_base_url + list_tag + "/" + list_page.
Text compose_list_url();

} // namespace lumikko
