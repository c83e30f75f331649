#pragma once
// The start-up look for a newer version: the forum post names an attachment,
// the attachment (a notice in GBK) names a version and a download address.

#include "browse/text.h"

#include <functional>
#include <stop_token>
#include <string_view>

class QObject;

namespace lumikko {

struct UpdateNotice {
    Text version; // empty when it could not be read
    Text address;
};

// Reads the post and the notice from forum_origin (blocking; on a worker).
UpdateNotice read_update_notice(std::stop_token stop = {});

// Only a readable version that differs from ours counts, and only with an
// address we can hand to the desktop.
bool is_usable_download_address(std::string_view address);
bool should_update(const UpdateNotice& notice, std::string_view own_version);

// Starts the check on a worker. When it is done, on the UI thread: if an update
// is due, the address is opened and close_main_window runs; in every case the
// list load starts afterwards.
void check_for_update(Text own_version, std::function<void()> close_main_window);

} // namespace lumikko
