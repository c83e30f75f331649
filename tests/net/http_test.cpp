#include "net/http.h"
#include "tests/net/raw_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

namespace lumikko {
namespace {

using test::http_response;
using test::RawConnection;
using test::RawServer;

// ---- URL helpers --------------------------------------------------------------

struct UrlCase {
    const char* url;
    const char* host;
    int port;
    const char* path;
    const char* effective;
};

TEST(UrlHelpers, SplitAndRebuild) {
    const std::vector<UrlCase> cases = {
        {"http://Pics:81/a/b.jpg?x=1", "pics", 81, "/a/b.jpg?x=1", "http://pics:81/a/b.jpg?x=1"},
        {"HTTP://pics/a.jpg", "pics", 80, "/a.jpg", "http://pics:80/a.jpg"},
        {"pics/a.jpg", "pics", 80, "/a.jpg", "http://pics:80/a.jpg"},
        {"http://pics", "pics", 80, "/", "http://pics:80/"},
        {"http://pics:/a.jpg", "pics", 0, "/a.jpg", "http://pics:80/a.jpg"},
        {"https://Img.Example:8443/x", "img.example", 8443, "/x", "https://img.example:8443/x"},
        {"HTTPS://img/x.png", "img", 443, "/x.png", "https://img:443/x.png"},
        {"https://img:/x.png", "img", 0, "/x.png", "https://img:443/x.png"},
        // A one-letter host that also occurs inside "http".
        {"http://t/x.jpg", "t", 80, "/x.jpg", "http://t:80/x.jpg"},
        {"http://pics:8o/a", "pics", 8, "/a", "http://pics:8/a"},
        {"http://pics:99999/a", "pics", 99999, "/a", ""},
        {"http://pics/a b.jpg", "pics", 80, "/a b.jpg", "http://pics:80/a%20b.jpg"},
        {"http://pics/a\r\nX: y", "pics", 80, "/a\r\nX: y", ""},
        {"file:///etc/passwd", "file", 0, "///etc/passwd", ""},
        {"ftp://pics/a.jpg", "ftp", 0, "//pics/a.jpg", ""},
        {"gopher://pics:70/", "gopher", 0, "//pics:70/", ""},
        {"", "", 80, "/", ""},
        {"http:///a.jpg", "", 80, "/a.jpg", ""},
        {"http://user@pics/a", "user@pics", 80, "/a", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(url_host(c.url), c.host);
        EXPECT_EQ(url_port(c.url), c.port);
        EXPECT_EQ(url_object_path(c.url), c.path);
        EXPECT_EQ(effective_url(c.url), c.effective);
    }
}

// ---- what goes on the wire -----------------------------------------------------

constexpr std::string_view default_accept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
    "application/x-shockwave-flash, application/vnd.ms-excel, application/vnd.ms-powerpoint, "
    "application/msword, */*\r\n";

std::vector<std::string> header_lines(const std::string& request) {
    std::vector<std::string> lines;
    const auto head_end = request.find("\r\n\r\n");
    for (std::size_t from = request.find("\r\n") + 2; from < head_end + 2;) {
        const auto end = request.find("\r\n", from);
        lines.push_back(request.substr(from, end - from + 2));
        from = end + 2;
    }
    return lines;
}

// Index of the line, or -1; also checks it occurs only once.
int line_index(const std::vector<std::string>& lines, std::string_view line) {
    int found = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] == line) {
            EXPECT_EQ(found, -1) << "sent twice: " << line;
            found = static_cast<int>(i);
        }
    }
    return found;
}

int lines_starting_with(const std::vector<std::string>& lines, std::string_view prefix) {
    int count = 0;
    for (const auto& line : lines)
        count += line.size() >= prefix.size() &&
                 std::equal(prefix.begin(), prefix.end(), line.begin(), [](char a, char b) {
                     return std::tolower(static_cast<unsigned char>(a)) ==
                            std::tolower(static_cast<unsigned char>(b));
                 });
    return count;
}

class Recording : public ::testing::Test {
protected:
    RawServer server{[](RawConnection& c) { c.send(http_response("200 OK", "picture")); }};

    std::string only_request() {
        const auto requests = server.requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? std::string() : requests.front();
    }
};

TEST_F(Recording, PlainGetSendsDefaultLinesInOrder) {
    // The Referer is the URL exactly as passed, letter case included.
    const std::string url = "HTTP://127.0.0.1:" + std::to_string(server.port()) + "/a.jpg";
    EXPECT_EQ(http_request(url), "picture");
    const std::string request = only_request();
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /a.jpg HTTP/1.1");
    const auto lines = header_lines(request);
    const int accept = line_index(lines, default_accept);
    const int referer = line_index(lines, "Referer: " + url + "\r\n");
    const int language = line_index(lines, "Accept-Language: zh-cn\r\n");
    EXPECT_GE(accept, 0);
    EXPECT_GT(referer, accept);
    EXPECT_GT(language, referer);
    EXPECT_EQ(line_index(lines, "User-Agent: " + std::string(agent_string) + "\r\n") >= 0, true);
    EXPECT_EQ(lines_starting_with(lines, "Accept:"), 1);
    EXPECT_EQ(lines_starting_with(lines, "Expect:"), 0);
    EXPECT_EQ(lines_starting_with(lines, "Content-"), 0);
    EXPECT_EQ(request.size(), request.find("\r\n\r\n") + 4) << "a GET carries no body";
}

TEST_F(Recording, CallerAcceptLineSuppressesOnlyTheDefaultAccept) {
    const std::string url = server.url("/a.jpg");
    EXPECT_EQ(http_request(url, "", std::nullopt, "accept: text/html\r\nX-Mine: 1\r\n"), "picture");
    const auto lines = header_lines(only_request());
    const int accept = line_index(lines, "accept: text/html\r\n");
    const int mine = line_index(lines, "X-Mine: 1\r\n");
    const int referer = line_index(lines, "Referer: " + url + "\r\n");
    const int language = line_index(lines, "Accept-Language: zh-cn\r\n");
    EXPECT_GE(accept, 0);
    EXPECT_GT(mine, accept);
    EXPECT_GT(referer, mine);
    EXPECT_GT(language, referer);
    EXPECT_EQ(lines_starting_with(lines, "Accept:"), 1);
}

TEST_F(Recording, CallerRefererAndLanguageAreKept) {
    EXPECT_EQ(http_request(server.url("/a.jpg"), "", std::nullopt,
                           "REFERER: http://x/\r\naccept-language: en"),
              "picture");
    const auto lines = header_lines(only_request());
    EXPECT_GE(line_index(lines, "REFERER: http://x/\r\n"), 0);
    EXPECT_GE(line_index(lines, "accept-language: en\r\n"), 0);
    EXPECT_GE(line_index(lines, default_accept), 0);
    EXPECT_EQ(lines_starting_with(lines, "Referer:"), 1);
    EXPECT_EQ(lines_starting_with(lines, "Accept-Language:"), 1);
}

struct MethodCase {
    const char* method;
    const char* data;
    const char* request_line;
    const char* content_type; // expected line, or nullptr for none
    const char* content_length;
    const char* body;
};

TEST_F(Recording, MethodsAndPostBodies) {
    const std::vector<MethodCase> cases = {
        {"post", "abc", "POST /f HTTP/1.1", "Content-Type: application/x-www-form-urlencoded\r\n",
         "Content-Length: 3\r\n", "abc"},
        {"Post", "", "POST /f HTTP/1.1", nullptr, nullptr, ""},
        {"PUT", "abc", "GET /f HTTP/1.1", nullptr, nullptr, ""},
        {"", "abc", "GET /f HTTP/1.1", nullptr, nullptr, ""},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(std::string(c.method) + " with \"" + c.data + "\"");
        EXPECT_EQ(http_request(server.url("/f"), c.method, std::nullopt, "", c.data), "picture");
        ASSERT_EQ(server.requests().size(), i + 1);
        const std::string request = server.requests()[i];
        EXPECT_EQ(request.substr(0, request.find("\r\n")), c.request_line);
        const auto lines = header_lines(request);
        const int type = c.content_type ? line_index(lines, c.content_type) : -1;
        const int length = c.content_length ? line_index(lines, c.content_length) : -1;
        EXPECT_EQ(lines_starting_with(lines, "Content-Type:"), c.content_type ? 1 : 0);
        EXPECT_EQ(lines_starting_with(lines, "Content-Length:"), c.content_length ? 1 : 0);
        if (c.content_type) {
            EXPECT_GT(type, line_index(lines, "Accept-Language: zh-cn\r\n"));
            EXPECT_EQ(length, type + 1);
        }
        EXPECT_EQ(lines_starting_with(lines, "Expect:"), 0);
        EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), c.body);
    }
}

TEST_F(Recording, ProxyIsAskedForTheWholeUrl) {
    // The host is never resolved: the proxy is asked for it.
    const std::string proxy = "127.0.0.1:" + std::to_string(server.port());
    EXPECT_EQ(http_request("http://pics.invalid/a.jpg", "", proxy), "picture");
    const std::string request = only_request();
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET http://pics.invalid/a.jpg HTTP/1.1");
}

TEST_F(Recording, PageReaderSendsAPlainGet) {
    EXPECT_EQ(read_http_file(server.url("/page.html")), "picture");
    const std::string request = only_request();
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /page.html HTTP/1.1");
    const auto lines = header_lines(request);
    EXPECT_GE(line_index(lines, "User-Agent: " + std::string(agent_string) + "\r\n"), 0);
    EXPECT_EQ(lines_starting_with(lines, "Referer:"), 0);
    EXPECT_EQ(lines_starting_with(lines, "Accept-Language:"), 0);
}

TEST_F(Recording, ResponseHeadersOfTheAnswer) {
    std::string headers = "left over";
    EXPECT_EQ(http_request(server.url("/a.jpg"), "", std::nullopt, "", "", &headers), "picture");
    EXPECT_EQ(headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << headers;
    EXPECT_NE(headers.find("\r\nContent-Length: 7\r\n"), std::string::npos) << headers;
    EXPECT_EQ(headers.find("left over"), std::string::npos);
}

// ---- bodies, failures and limits, for both routines ------------------------------

using Fetch = Bytes (*)(std::string_view url, std::stop_token stop);
Bytes fetch_picture(std::string_view url, std::stop_token stop) {
    return http_request(url, {}, std::nullopt, {}, {}, nullptr, std::move(stop));
}

struct Routine {
    const char* name;
    Fetch fetch;
};
void PrintTo(const Routine& routine, std::ostream* out) {
    *out << routine.name;
}

class BothRoutines : public ::testing::TestWithParam<Routine> {
protected:
    Bytes fetch(std::string_view url, std::stop_token stop = {}) const {
        return GetParam().fetch(url, std::move(stop));
    }
};

// Answers by path: the tests below each ask for one.
void site(RawConnection& c) {
    const std::string path = c.path();
    if (path == "/missing") {
        c.send(http_response("404 Not Found", "<html>no such page</html>"));
    } else if (path == "/cut") {
        c.send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(300, 'x'));
    } else if (path == "/huge") {
        c.send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
        const std::string chunk = "10000\r\n" + std::string(0x10000, 'y') + "\r\n";
        for (int i = 0; i < 17 * 16 && c.send(chunk); ++i) {
        }
        c.send("0\r\n\r\n");
    } else if (path == "/to-file") {
        c.send(http_response("302 Found", "moved", "Location: file:///etc/passwd\r\n"));
    } else if (path == "/to-page") {
        c.send(http_response("302 Found", "moved", "Location: /page\r\n"));
    } else if (path == "/page") {
        c.send(http_response("200 OK", "the page", "X-Final: yes\r\n"));
    } else if (path == "/loop") {
        c.send(http_response("302 Found", "again", "Location: /loop\r\n"));
    } else if (path == "/stall") {
        c.stall();
    }
}

TEST_P(BothRoutines, ErrorPageIsReturned) {
    RawServer server(site);
    EXPECT_EQ(fetch(server.url("/missing")), "<html>no such page</html>");
}

TEST_P(BothRoutines, BrokenTransferKeepsWhatArrived) {
    RawServer server(site);
    EXPECT_EQ(fetch(server.url("/cut")), std::string(300, 'x'));
}

TEST_P(BothRoutines, BodyOverTheCapGivesNothing) {
    RawServer server(site);
    EXPECT_TRUE(fetch(server.url("/huge")).empty());
}

TEST_P(BothRoutines, RedirectWithinHttpIsFollowed) {
    RawServer server(site);
    EXPECT_EQ(fetch(server.url("/to-page")), "the page");
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST_P(BothRoutines, RedirectsToOtherSchemesOrEndlessOnesGiveNothing) {
    RawServer server(site);
    EXPECT_TRUE(fetch(server.url("/to-file")).empty());
    EXPECT_TRUE(fetch(server.url("/loop")).empty());
    EXPECT_EQ(server.requests().size(), 1u + 1u + max_redirects);
}

TEST_P(BothRoutines, OtherSchemesAndEmptyUrlsAreNotRequested) {
    for (const char* url : {"", "file:///etc/hostname", "ftp://127.0.0.1/", "http:///a"}) {
        SCOPED_TRACE(url);
        EXPECT_TRUE(fetch(url).empty());
    }
}

TEST_P(BothRoutines, ClosedPortGivesNothingQuickly) {
    const auto url = "http://127.0.0.1:" + std::to_string(test::closed_port()) + "/a.jpg";
    auto result = std::async(std::launch::async, [&] { return fetch(url); });
    ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(result.get().empty());
}

TEST_P(BothRoutines, StopEndsAStalledTransfer) {
    RawServer server(site);
    std::stop_source stop;
    auto result = std::async(std::launch::async,
                             [&] { return fetch(server.url("/stall"), stop.get_token()); });
    ASSERT_TRUE(server.wait_for_requests(1, std::chrono::seconds(5)));
    stop.request_stop();
    // Far below the 18 s stall limit: only the stop can have ended it.
    ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(result.get().empty());
}

TEST_P(BothRoutines, StopRequestedBeforehandSendsNothing) {
    RawServer server(site);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_TRUE(fetch(server.url("/page"), stop.get_token()).empty());
    EXPECT_TRUE(server.requests().empty());
}

INSTANTIATE_TEST_SUITE_P(Http, BothRoutines,
                         ::testing::Values(Routine{"Request", &fetch_picture},
                                           Routine{"PageReader", &read_http_file}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Request, RedirectedResponseHeadersAreTheFinalOnes) {
    RawServer server(site);
    std::string headers;
    EXPECT_EQ(http_request(server.url("/to-page"), "", std::nullopt, "", "", &headers), "the page");
    EXPECT_EQ(headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << headers;
    EXPECT_NE(headers.find("\r\nX-Final: yes\r\n"), std::string::npos) << headers;
    EXPECT_EQ(headers.find("302"), std::string::npos) << headers;
}

} // namespace
} // namespace lumikko
