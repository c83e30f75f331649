#pragma once
// The program's HTTP client over libcurl. Every call is self-contained (its own
// easy and multi handle), so calls may run on several threads at once, and a
// stop request ends a transfer in flight at once.

#include "browse/text.h"

#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace lumikko {

// Host in lower case, without port. An "http://" or "https://" prefix is
// recognised in any letter case; without one the URL is read as host, optional
// port, path.
std::string url_host(std::string_view url);
// The port after ":" in the host part, else 80 (443 for https://). A port text
// that does not read as a number gives 0, which means the scheme's default.
int url_port(std::string_view url);
// From the first "/" after the host to the end, query included; "/" when none.
std::string url_object_path(std::string_view url);

// The URL that is really requested: scheme, host, port and object path as the
// helpers above read them. Empty when the URL names another scheme (file://,
// ftp://, ...) or no host.
std::string effective_url(std::string_view url);

inline constexpr std::string_view agent_string =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
inline constexpr long request_timeout_ms = 18000;
inline constexpr std::size_t max_body_bytes = 16u * 1024 * 1024;
inline constexpr long max_redirects = 10;

// GET (or POST when method is "post" in any case) of `url` with the default
// Accept, Referer and Accept-Language lines added to extra_headers where it lacks
// them. Returns the body whatever the status; empty on failure or over the body
// cap; the bytes so far when the transfer breaks after some data. With
// response_headers, receives the raw header block of the final response.
Bytes http_request(std::string_view url, std::string_view method = {},
                   const std::optional<std::string>& proxy = std::nullopt,
                   std::string_view extra_headers = {}, std::string_view post_data = {},
                   std::string* response_headers = nullptr, std::stop_token stop = {});

// The page reader: a plain GET with libcurl's defaults (plus our agent string),
// same limits, same failure rules as http_request.
Bytes read_http_file(std::string_view url, std::stop_token stop = {});

// Runs curl_global_init once; called before the first worker starts (and by the
// two routines above, harmlessly, when nobody did).
void init_http();

} // namespace lumikko
