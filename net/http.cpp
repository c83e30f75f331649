#include "net/http.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <mutex>
#include <utility>

namespace lumikko {

namespace {

// ---- curl handles -----------------------------------------------------------

template <typename T, auto Free> class CurlHandle {
public:
    explicit CurlHandle(T* handle = nullptr)
        : handle_(handle) {}
    ~CurlHandle() {
        if (handle_)
            Free(handle_);
    }
    CurlHandle(const CurlHandle&) = delete;
    CurlHandle& operator=(const CurlHandle&) = delete;
    CurlHandle(CurlHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, nullptr)) {}
    CurlHandle& operator=(CurlHandle&&) = delete;

    T* get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // For curl_slist_append, which may hand back a new head.
    void reset(T* handle) { handle_ = handle; }

private:
    T* handle_;
};

using EasyHandle = CurlHandle<CURL, curl_easy_cleanup>;
using MultiHandle = CurlHandle<CURLM, curl_multi_cleanup>;
using HeaderList = CurlHandle<curl_slist, curl_slist_free_all>;

// Keeps the easy handle on the multi handle; it must come off before either is
// cleaned up.
class MultiAttachment {
public:
    MultiAttachment(CURLM* multi, CURL* easy)
        : multi_(multi)
        , easy_(easy)
        , ok_(curl_multi_add_handle(multi, easy) == CURLM_OK) {}
    ~MultiAttachment() {
        if (ok_)
            curl_multi_remove_handle(multi_, easy_);
    }
    MultiAttachment(const MultiAttachment&) = delete;
    MultiAttachment& operator=(const MultiAttachment&) = delete;
    bool ok() const { return ok_; }

private:
    CURLM* multi_;
    CURL* easy_;
    bool ok_;
};

// ---- URL helpers --------------------------------------------------------------

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool starts_with_nocase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return lower(a) == lower(b); });
}

bool contains_nocase(std::string_view text, std::string_view needle) {
    return std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                       [](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

enum class Scheme { none, http, https };

constexpr std::string_view http_prefix = "http://";
constexpr std::string_view https_prefix = "https://";

Scheme scheme_of(std::string_view url) {
    if (starts_with_nocase(url, http_prefix))
        return Scheme::http;
    if (starts_with_nocase(url, https_prefix))
        return Scheme::https;
    return Scheme::none;
}

std::size_t prefix_length(Scheme scheme) {
    switch (scheme) {
    case Scheme::http:
        return http_prefix.size();
    case Scheme::https:
        return https_prefix.size();
    case Scheme::none:
        break;
    }
    return 0;
}

// "name://" at the front with a name other than ours: a URL we refuse.
bool has_foreign_scheme(std::string_view url) {
    const auto mark = url.find("://");
    if (mark == std::string_view::npos || mark == 0)
        return false;
    const std::string_view name = url.substr(0, mark);
    if (!std::isalpha(static_cast<unsigned char>(name[0])))
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

// Where the host-and-port part begins and ends (end exclusive).
std::pair<std::size_t, std::size_t> host_port_span(std::string_view url) {
    const std::size_t begin = prefix_length(scheme_of(url));
    const std::size_t slash = url.find('/', begin);
    return {begin, slash == std::string_view::npos ? url.size() : slash};
}

std::string_view host_port_part(std::string_view url) {
    const auto [begin, end] = host_port_span(url);
    return url.substr(begin, end - begin);
}

bool valid_host(std::string_view host) {
    return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
    });
}

// The path as curl will accept it: bytes a URL may not carry raw are escaped.
std::string escaped_path(std::string_view path) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' ||
            c == '^' || c == '`' || c == '{' || c == '|' || c == '}') {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

// ---- the transfer core ------------------------------------------------------

struct Sink {
    Bytes body;
    bool over_cap = false;
    std::string headers;
};

extern "C" std::size_t write_body(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t n = size * count;
    // curl enforces no limit of its own on a chunked body.
    if (sink->body.size() + n > max_body_bytes) {
        sink->over_cap = true;
        return 0;
    }
    sink->body.append(data, n);
    return n;
}

extern "C" std::size_t write_header(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::string_view line(data, size * count);
    // Each response (a redirect, an interim 100) starts a new block; the last one counts.
    if (starts_with_nocase(line, "HTTP/"))
        sink->headers.clear();
    sink->headers.append(line);
    return line.size();
}

// Settings both routines share: limits, allowed protocols, where the data goes.
void apply_common(CURL* easy, const std::string& url, Sink& sink) {
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, std::string(agent_string).c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, max_redirects);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, request_timeout_ms);
    // A connection that moves nothing for the time-out is dead, in either direction.
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, request_timeout_ms / 1000);
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(max_body_bytes));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, write_body);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, write_header);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &sink);
}

// An easy handle with the shared settings for `target`; none when curl has no
// handle to give.
EasyHandle open_transfer(const std::string& target, Sink& sink) {
    init_http();
    EasyHandle easy(curl_easy_init());
    if (easy)
        apply_common(easy.get(), target, sink);
    return easy;
}

// Runs the prepared transfer on a multi handle of its own so that a stop
// request can wake the wait at once.
Bytes perform(CURL* easy, Sink& sink, std::stop_token stop, std::string* response_headers) {
    MultiHandle multi(curl_multi_init());
    if (!multi)
        return {};
    MultiAttachment attachment(multi.get(), easy);
    if (!attachment.ok())
        return {};
    std::stop_callback wake(stop, [&multi] { curl_multi_wakeup(multi.get()); });

    int running = 1;
    while (running > 0 && !stop.stop_requested()) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK)
            break;
        if (running > 0 && curl_multi_poll(multi.get(), nullptr, 0, 1000, nullptr) != CURLM_OK)
            break;
    }

    CURLcode result = CURLE_OK;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE)
            result = message->data.result;
    }

    if (response_headers)
        *response_headers = sink.headers;
    if (stop.stop_requested() || sink.over_cap)
        return {};
    switch (result) {
    // A refused redirect or one too many: the body at hand is not the one asked for.
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_FILESIZE_EXCEEDED:
        return {};
    default:
        // A transfer that broke after some data keeps what arrived.
        return std::move(sink.body);
    }
}

bool append_header(HeaderList& list, const std::string& line) {
    curl_slist* head = curl_slist_append(list.get(), line.c_str());
    if (!head)
        return false;
    list.reset(head);
    return true;
}

constexpr std::string_view default_accept_line =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
    "application/x-shockwave-flash, application/vnd.ms-excel, application/vnd.ms-powerpoint, "
    "application/msword, */*\r\n";
constexpr std::string_view default_language_line = "Accept-Language: zh-cn\r\n";
constexpr std::string_view form_type_line = "Content-Type: application/x-www-form-urlencoded\r\n";

std::string complete_headers(std::string_view url, std::string_view extra_headers, bool post,
                             std::string_view post_data) {
    std::string text(extra_headers);
    // A caller's last line without its CRLF would swallow the first line we add.
    if (!text.empty() && !text.ends_with("\r\n"))
        text += "\r\n";
    if (!contains_nocase(text, "Accept: "))
        text += default_accept_line;
    if (!contains_nocase(text, "Referer: ")) {
        text += "Referer: ";
        text += url;
        text += "\r\n";
    }
    if (!contains_nocase(text, "Accept-Language: "))
        text += default_language_line;
    if (post && !post_data.empty()) {
        text += form_type_line;
        text += "Content-Length: " + std::to_string(post_data.size()) + "\r\n";
    }
    return text;
}

} // namespace

// ---- public routines ----------------------------------------------------------

std::string url_host(std::string_view url) {
    std::string_view part = host_port_part(url);
    part = part.substr(0, part.find(':'));
    std::string host(part);
    std::transform(host.begin(), host.end(), host.begin(), lower);
    return host;
}

int url_port(std::string_view url) {
    const std::string_view part = host_port_part(url);
    const auto colon = part.find(':');
    if (colon == std::string_view::npos)
        return scheme_of(url) == Scheme::https ? 443 : 80;
    // The leading digits of the port text; none at all reads as 0.
    long long port = 0;
    for (const char c : part.substr(colon + 1)) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        port = std::min<long long>(port * 10 + (c - '0'), INT_MAX);
    }
    return static_cast<int>(port);
}

std::string url_object_path(std::string_view url) {
    // The first "/" after the host-and-port part. (Searching for the host name
    // from the start of the URL would find a host such as "t" inside "http".)
    const auto end = host_port_span(url).second;
    if (end >= url.size())
        return "/";
    return std::string(url.substr(end));
}

std::string effective_url(std::string_view url) {
    const Scheme scheme = scheme_of(url);
    if (scheme == Scheme::none && has_foreign_scheme(url))
        return {};
    // Control bytes would end up in the request line or the Referer header.
    if (std::any_of(url.begin(), url.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || byte == 0x7F;
        }))
        return {};
    const std::string host = url_host(url);
    if (!valid_host(host))
        return {};
    const int default_port = scheme == Scheme::https ? 443 : 80;
    int port = url_port(url);
    if (port == 0)
        port = default_port;
    if (port > 65535)
        return {};
    return std::string(scheme == Scheme::https ? https_prefix : http_prefix) + host + ":" +
           std::to_string(port) + escaped_path(url_object_path(url));
}

Bytes http_request(std::string_view url, std::string_view method,
                   const std::optional<std::string>& proxy, std::string_view extra_headers,
                   std::string_view post_data, std::string* response_headers,
                   std::stop_token stop) {
    const std::string target = effective_url(url);
    if (target.empty())
        return {};
    Sink sink;
    EasyHandle easy = open_transfer(target, sink);
    if (!easy)
        return {};
    curl_easy_setopt(easy.get(), CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy.get(), CURLOPT_COOKIEFILE, "");
    // A direct connection unless told otherwise; the proxy serves plain HTTP only.
    const bool use_proxy = proxy && scheme_of(target) == Scheme::http;
    const std::string proxy_url = use_proxy ? "http://" + *proxy : std::string();
    curl_easy_setopt(easy.get(), CURLOPT_PROXY, proxy_url.c_str());

    std::string upper(method);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    });
    const bool post = upper == "POST";

    HeaderList headers;
    const std::string header_text = complete_headers(url, extra_headers, post, post_data);
    for (std::size_t from = 0; from < header_text.size();) {
        auto end = header_text.find("\r\n", from);
        if (end == std::string::npos)
            end = header_text.size();
        if (end > from && !append_header(headers, header_text.substr(from, end - from)))
            return {};
        from = end + 2;
    }
    // curl's own lines we do not send: its Accept (even when a caller's header
    // merely mentions "Accept: "), Expect, and the form lines of an empty POST.
    if (!append_header(headers, "Accept:") || !append_header(headers, "Expect:"))
        return {};
    if (post && post_data.empty() &&
        !(append_header(headers, "Content-Type:") && append_header(headers, "Content-Length:")))
        return {};
    curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());

    if (post) {
        curl_easy_setopt(easy.get(), CURLOPT_POST, 1L);
        curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(post_data.size()));
        curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDS, post_data.empty() ? "" : post_data.data());
    }
    return perform(easy.get(), sink, stop, response_headers);
}

Bytes read_http_file(std::string_view url, std::stop_token stop) {
    const std::string target = effective_url(url);
    if (target.empty())
        return {};
    Sink sink;
    EasyHandle easy = open_transfer(target, sink);
    if (!easy)
        return {};
    return perform(easy.get(), sink, stop, nullptr);
}

void init_http() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace lumikko
