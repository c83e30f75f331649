#pragma once
// A small HTTP server on loopback whose answers each test scripts: path (the
// request target exactly as sent) to body, status and delay. It records every
// target it is asked for.

#include "net/workers.h"

#include <QString>
#include <httplib.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumikko::testing {

// How long a window test waits for something that should happen.
constexpr int wait_ms = 15000;

inline QString name(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// No worker is running any more: every load has finished or stopped.
inline bool idle() {
    return running_workers() == 0;
}

struct Answer {
    std::string body;
    int status = 200;
    int delay_ms = 0;
    std::string content_type = "text/html; charset=utf-8";
};

class ScriptedSite {
public:
    ScriptedSite();
    ~ScriptedSite();
    ScriptedSite(const ScriptedSite&) = delete;
    ScriptedSite& operator=(const ScriptedSite&) = delete;

    std::string origin() const { return "http://127.0.0.1:" + std::to_string(port_); }
    void set(const std::string& target, Answer answer);
    // Delay for every answer without one of its own.
    void set_default_delay(int ms);
    std::vector<std::string> requests() const;
    int count(const std::string& target) const;
    void clear_requests();

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::map<std::string, Answer> answers_;
    std::vector<std::string> requests_;
    int default_delay_ms_ = 0;
    std::atomic<bool> stopping_{false};
};

// A small PNG of one colour, w x h pixels.
std::string png_picture(int w, int h, unsigned rgb);

// A list page in the site's markup with the given thumbnails and album links.
std::string list_page_html(const std::vector<std::string>& thumbnails,
                           const std::vector<std::string>& links);

// An album page whose block holds the given image sources; with pages > 1 the
// block carries a pager naming that many pages.
std::string album_page_html(const std::vector<std::string>& sources, int pages);

// The forum post and a GBK notice announcing `version` at `address`.
std::string forum_post_html(const std::string& attachment);
std::string notice_gbk(const std::string& version, const std::string& address);

} // namespace lumikko::testing
