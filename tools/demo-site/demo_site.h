#pragma once
// A local imitation of the avatar site and the update forum, served on
// 127.0.0.1 for the program, its tests and anyone trying it out.

#include "tools/demo-site/catalogue.h"
#include "tools/demo-site/pages.h"
#include "tools/demo-site/pictures.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumikko::demo {

struct SiteOptions {
    int delay_ms = 0;             // added to every answer
    std::string announce = "1.3"; // version the update notice names
};

struct LoggedRequest {
    std::string method;
    std::string target; // the request target exactly as sent, escapes and double slashes kept
    std::vector<std::pair<std::string, std::string>> headers;

    // The first header of that name (any letter case), empty when absent.
    std::string header(std::string_view name) const;
};

class DemoSite {
public:
    explicit DemoSite(SiteOptions options = {});
    ~DemoSite(); // stops and joins
    DemoSite(const DemoSite&) = delete;
    DemoSite& operator=(const DemoSite&) = delete;

    // Binds 127.0.0.1:port (0 picks a free port) and serves on a background
    // thread. Returns the bound port, -1 when it cannot bind or already runs.
    int start(int port = 0);
    void stop();
    bool running() const;
    int port() const;
    std::string origin() const; // "http://127.0.0.1:<port>"

    // Safe to call from any thread while serving.
    void set_delay_ms(int ms);
    void set_announce(std::string version);
    // Serve these bytes as the notice instead of the generated one; nothing
    // restores the generated notice.
    void set_notice_body(std::optional<std::string> bytes);

    std::vector<LoggedRequest> requests() const;
    std::vector<std::string> request_log() const; // the targets, in order of arrival
    void clear_request_log();
    // Waits until at least count requests are logged; false on timeout.
    bool wait_for_requests(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Answer for one request target, without a server: status, content type, body.
struct Answer {
    int status = 200;
    std::string content_type;
    std::string body;
};
Answer answer(std::string_view origin, std::string_view target, std::string_view announce);

} // namespace lumikko::demo
