#include "tools/demo-site/demo_site.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace lumikko::demo {

namespace {

constexpr std::string_view html_type = "text/html; charset=utf-8";

bool parse_page(std::string_view s, int& page) {
    if (s.empty() || s.size() > 9 || s.front() == '0')
        return false;
    const auto [end, err] = std::from_chars(s.data(), s.data() + s.size(), page);
    return err == std::errc{} && end == s.data() + s.size();
}

std::string query_value(std::string_view query, std::string_view key) {
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const auto eq = pair.find('=');
        if (pair.substr(0, eq) == key)
            return eq == std::string_view::npos ? std::string()
                                                : percent_decode(pair.substr(eq + 1));
        if (amp == std::string_view::npos)
            break;
        query.remove_prefix(amp + 1);
    }
    return {};
}

// "<word>/<page>" after a list prefix; the word is still percent-encoded.
bool split_list(std::string_view rest, std::string& word, int& page) {
    const auto slash = rest.rfind('/');
    if (slash == std::string_view::npos ||
        rest.substr(0, slash).find('/') != std::string_view::npos)
        return false;
    word = percent_decode(rest.substr(0, slash));
    return parse_page(rest.substr(slash + 1), page);
}

Answer html(std::string body, int status = 200) {
    return {status, std::string(html_type), std::move(body)};
}

Answer not_found(std::string_view target) {
    return html(not_found_page(target), 404);
}

// Pictures are the slow part of an answer; keep what was drawn.
std::shared_ptr<const std::string> cached_picture(std::string_view path, const PictureSpec& spec) {
    static std::mutex mutex;
    static std::unordered_map<std::string, std::shared_ptr<const std::string>> cache;
    {
        std::lock_guard lock(mutex);
        if (auto it = cache.find(std::string(path)); it != cache.end())
            return it->second;
    }
    auto bytes = std::make_shared<const std::string>(picture(spec));
    std::lock_guard lock(mutex);
    if (cache.size() >= 8192)
        cache.clear();
    cache.emplace(std::string(path), bytes);
    return bytes;
}

Answer album_answer(std::string_view origin, std::string_view target, std::string_view rest) {
    // rest: "<folder>/<id>.html" or "<folder>/<id>_<page>.html"
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos || !rest.ends_with(".html"))
        return not_found(target);
    const std::string_view folder = rest.substr(0, slash);
    std::string_view name = rest.substr(slash + 1);
    name.remove_suffix(5);
    int id = 0, page = 1;
    const auto underscore = name.find('_');
    if (!parse_page(name.substr(0, underscore), id) ||
        (underscore != std::string_view::npos && !parse_page(name.substr(underscore + 1), page)))
        return not_found(target);
    if (id < first_album_id || id > last_album_id || album(id).folder != folder)
        return not_found(target);
    auto page_html = album_page(origin, id, page);
    if (!page_html)
        return not_found(target);
    return html(std::move(*page_html));
}

} // namespace

Answer answer(std::string_view origin, std::string_view target, std::string_view announce) {
    const auto question = target.find('?');
    const std::string_view path = target.substr(0, question);
    const std::string_view query =
        question == std::string_view::npos ? std::string_view() : target.substr(question + 1);

    if (path == "/")
        return html(home_page(origin));

    constexpr std::string_view qq = "/qqtouxiang/";
    if (path.starts_with(qq)) {
        const std::string_view rest = path.substr(qq.size());
        std::string word;
        int page = 0;
        if (rest.starts_with("hot30//") && parse_page(rest.substr(7), page))
            return html(list_page(origin, {ListKind::hot, {}}, page));
        if (rest.starts_with("good//") && parse_page(rest.substr(6), page))
            return html(list_page(origin, {ListKind::good, {}}, page));
        if (rest.starts_with("t/") && split_list(rest.substr(2), word, page))
            return html(list_page(origin, {ListKind::tag, word}, page));
        if (rest.starts_with("s/") && split_list(rest.substr(2), word, page))
            return html(list_page(origin, {ListKind::search, word}, page));
        return album_answer(origin, target, rest);
    }

    if (path.starts_with("/pic/")) {
        const auto spec = picture_spec(path);
        if (!spec)
            return not_found(target);
        const auto bytes = cached_picture(path, *spec);
        return {200, spec->format == PictureFormat::png ? "image/png" : "image/jpeg", *bytes};
    }

    if (path == "/viewthread.php" && query_value(query, "tid") == "6")
        return html(forum_post());

    if (path == "/attachment.php" &&
        query_value(query, "aid") == std::to_string(notice_attachment_id)) {
        const std::string version(announce);
        return {200, "text/plain; charset=GBK",
                notice_gbk(version, std::string(origin) + "/download/lumikko-" + version)};
    }

    constexpr std::string_view download = "/download/";
    if (path.starts_with(download) && path.size() > download.size())
        return html(download_page(percent_decode(path.substr(download.size()))));

    return not_found(target);
}

std::string LoggedRequest::header(std::string_view name) const {
    auto same = [](std::string_view a, std::string_view b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) ==
                   std::tolower(static_cast<unsigned char>(y));
        });
    };
    for (const auto& [key, value] : headers)
        if (same(key, name))
            return value;
    return {};
}

struct DemoSite::Impl {
    explicit Impl(SiteOptions options)
        : delay_ms(options.delay_ms)
        , announce(std::move(options.announce)) {}

    httplib::Server server;
    std::thread thread;
    std::atomic<int> port{0};
    std::atomic<int> delay_ms;

    mutable std::mutex mutex; // guards what follows
    std::string announce;
    std::optional<std::string> notice_body;
    std::vector<LoggedRequest> log;
    mutable std::condition_variable logged;
    bool stopping = false;
    std::condition_variable wake; // cuts a delay short on stop

    std::string origin() const { return "http://127.0.0.1:" + std::to_string(port.load()); }

    void handle(const httplib::Request& req, httplib::Response& res) {
        {
            std::lock_guard lock(mutex);
            LoggedRequest entry{req.method, req.target, {}};
            for (const auto& [key, value] : req.headers)
                entry.headers.emplace_back(key, value);
            log.push_back(std::move(entry));
        }
        logged.notify_all();

        if (const int ms = delay_ms.load(); ms > 0) {
            std::unique_lock lock(mutex);
            wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping; });
        }

        if (req.method != "GET" && req.method != "HEAD") {
            res.status = 405;
            res.set_content(not_found_page(req.target), std::string(html_type));
            return;
        }
        std::string version;
        std::optional<std::string> override_body;
        {
            std::lock_guard lock(mutex);
            version = announce;
            override_body = notice_body;
        }
        Answer a = answer(origin(), req.target, version);
        if (override_body && a.status == 200 && req.path == "/attachment.php")
            a.body = *override_body;
        res.status = a.status;
        res.set_content(std::move(a.body), a.content_type);
    }
};

DemoSite::DemoSite(SiteOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {
    // httplib's default also sets SO_REUSEPORT, which would let a second site
    // share a busy port instead of failing.
    impl_->server.set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    });
    impl_->server.set_pre_routing_handler(
        [this](const httplib::Request& req, httplib::Response& res) {
            impl_->handle(req, res);
            return httplib::Server::HandlerResponse::Handled;
        });
}

DemoSite::~DemoSite() {
    stop();
}

int DemoSite::start(int port) {
    if (impl_->thread.joinable())
        return -1;
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stopping = false;
    }
    int bound = -1;
    if (port == 0)
        bound = impl_->server.bind_to_any_port("127.0.0.1");
    else if (impl_->server.bind_to_port("127.0.0.1", port))
        bound = port;
    if (bound <= 0)
        return -1;
    impl_->port = bound;
    impl_->thread = std::thread([this] { impl_->server.listen_after_bind(); });
    // stop() only takes effect once the accept loop runs, so wait for it.
    while (!impl_->server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return bound;
}

void DemoSite::stop() {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stopping = true;
    }
    impl_->wake.notify_all();
    if (impl_->thread.joinable()) {
        impl_->server.stop();
        impl_->thread.join();
    }
}

bool DemoSite::running() const {
    return impl_->thread.joinable() && impl_->server.is_running();
}

int DemoSite::port() const {
    return impl_->port;
}

std::string DemoSite::origin() const {
    return impl_->origin();
}

void DemoSite::set_delay_ms(int ms) {
    impl_->delay_ms = std::max(0, ms);
}

void DemoSite::set_announce(std::string version) {
    std::lock_guard lock(impl_->mutex);
    impl_->announce = std::move(version);
}

void DemoSite::set_notice_body(std::optional<std::string> bytes) {
    std::lock_guard lock(impl_->mutex);
    impl_->notice_body = std::move(bytes);
}

std::vector<LoggedRequest> DemoSite::requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->log;
}

std::vector<std::string> DemoSite::request_log() const {
    std::lock_guard lock(impl_->mutex);
    std::vector<std::string> targets;
    targets.reserve(impl_->log.size());
    for (const auto& r : impl_->log)
        targets.push_back(r.target);
    return targets;
}

void DemoSite::clear_request_log() {
    std::lock_guard lock(impl_->mutex);
    impl_->log.clear();
}

bool DemoSite::wait_for_requests(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->logged.wait_for(lock, timeout, [&] { return impl_->log.size() >= count; });
}

} // namespace lumikko::demo
