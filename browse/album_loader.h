#pragma once
// Albums: opening one from the grid, loading a page of it into the twelve
// avatar slots, and paging through it. Every album load has a number; the
// newest load wins and an older one places nothing more.

#include "browse/text.h"

#include <stop_token>

namespace lumikko {

inline constexpr int avatar_slots = 12;

// A press on grid slot n (1..18): the album behind item n-1 of the list, page 1.
void on_thumbnail_pressed(int n);

// Loads page album_page of the album at album_url on a worker.
void open_album_page();

// The album paging buttons (previous: 图形按钮3, next: 图形按钮4).
void on_album_previous_clicked();
void on_album_next_clicked();

// Worker routine: fetches the page, places the pager decision (first page
// only) and up to twelve pictures.
void load_album_page(std::stop_token stop, int load, Text page_url, bool first_page);

} // namespace lumikko
