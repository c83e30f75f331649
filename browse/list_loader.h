#pragma once
// Loading one page of an album list into the hidden list and the thumbnail
// grid, and paging through the list.
//
// Every list load has a number and a stop source. Once a newer list load has
// started, nothing of an older one reaches the list, the grid, the list globals
// or the paging buttons, and its transfers are stopped.

#include "browse/text.h"

#include <stop_token>
#include <string_view>

namespace lumikko {

// Empties the album list and puts the placeholder into every grid slot.
void reset_list_view();

// The list start sequence once the list globals are set: stop the running list
// load, rebuild list_url, reset the view and start load_list_page on a worker.
void start_list_load();

// Page 1 of the list at site_origin + path with the given (encoded) tag.
void start_list(std::string_view path, Text tag);

// Start-up: page 1 of the hot list; the view is reset but nothing is loaded yet.
void set_up_hot_list();

// The list paging buttons.
void on_list_previous_clicked();
void on_list_next_clicked();

// Worker routines, handed what they need when they start.
// load_stop is the list load's own stop, which the thumbnail loader shares.
void load_list_page(std::stop_token stop, int load, Text url, std::stop_token load_stop);
void load_list_thumbnails(std::stop_token stop, int load, TextArray urls);

} // namespace lumikko
