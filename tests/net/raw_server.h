#pragma once
// A tiny HTTP server on loopback for the network tests: one thread, one
// connection at a time. It keeps every request exactly as it arrived and lets
// the test decide, byte for byte, what goes back.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace lumikko::test {

class RawConnection {
public:
    RawConnection(int fd, const std::atomic<bool>& stopping)
        : fd_(fd)
        , stopping_(stopping) {}
    // The request line, header block and body (by its Content-Length).
    const std::string& request() const { return request_; }
    // The path of the request line.
    std::string path() const;
    // False once the peer has gone away.
    bool send(std::string_view bytes);
    // Holds the connection open, saying nothing, until the peer leaves or the
    // server shuts down.
    void stall();

private:
    friend class RawServer;
    bool read_request();

    int fd_;
    const std::atomic<bool>& stopping_;
    std::string request_;
};

class RawServer {
public:
    using Handler = std::function<void(RawConnection&)>;
    explicit RawServer(Handler handler);
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    int port() const { return port_; }
    std::string url(std::string_view path) const;
    std::vector<std::string> requests() const;
    // Waits (bounded) until `count` requests have arrived.
    bool wait_for_requests(std::size_t count, std::chrono::seconds bound) const;

private:
    void serve();

    Handler handler_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A fixed answer with a Content-Length.
std::string http_response(std::string_view status, std::string_view body,
                          std::string_view extra_headers = {});

// A loopback port on which nothing listens.
int closed_port();

} // namespace lumikko::test
