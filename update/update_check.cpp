#include "update/update_check.h"

#include "app/toolkit/ui_thread.h"
#include "browse/browse_controls.h"
#include "browse/list_loader.h"
#include "net/encoding.h"
#include "net/http.h"
#include "net/origins.h"
#include "net/workers.h"

#include <QDesktopServices>
#include <QUrl>

namespace lumikko {

UpdateNotice read_update_notice(std::stop_token stop) {
    const Text post =
        body_to_text(read_http_file(forum_origin + "/viewthread.php?tid=6&extra=page%3D1", stop));
    const Text attachment = text_between(post, "attachment.php?aid=", "\" target=");
    // The notice is written in GBK; it is turned into our UTF-8 as it arrives.
    const Text notice = gbk_to_utf8(
        body_to_text(read_http_file(forum_origin + "/attachment.php?aid=" + attachment, stop)));
    return {text_between(notice, "版本[", "]"), text_between(notice, "地址[", "]")};
}

bool is_usable_download_address(std::string_view address) {
    const QUrl url(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size())),
                   QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

bool should_update(const UpdateNotice& notice, std::string_view own_version) {
    return !notice.version.empty() && notice.version != own_version &&
           is_usable_download_address(notice.address);
}

void check_for_update(Text own_version, std::function<void()> close_main_window) {
    start_worker([own_version = std::move(own_version),
                  close_main_window = std::move(close_main_window)](std::stop_token stop) {
        UpdateNotice notice = read_update_notice(stop);
        if (stop.stop_requested())
            return;
        post_to_ui(ui_context(), [own_version, close_main_window, notice = std::move(notice)] {
            if (should_update(notice, own_version)) {
                QDesktopServices::openUrl(QUrl(QString::fromStdString(notice.address)));
                if (close_main_window)
                    close_main_window();
            }
            // Started like any other list load, so a list the user started while
            // the check ran ends up once, not twice.
            if (browse_window_alive())
                start_list_load();
        });
    });
}

} // namespace lumikko
