#include "tests/net/raw_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace lumikko::test {

namespace {

constexpr int poll_ms = 50;

int bound_listener(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        throw std::runtime_error("socket");
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("bind");
    }
    port = ntohs(address.sin_port);
    return fd;
}

std::size_t content_length(std::string_view head) {
    std::string lower(head);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    const auto at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos)
        return 0;
    return std::strtoul(lower.c_str() + at + 17, nullptr, 10);
}

} // namespace

std::string RawConnection::path() const {
    const auto first = request_.find(' ');
    const auto second = request_.find(' ', first + 1);
    if (first == std::string::npos || second == std::string::npos)
        return {};
    return request_.substr(first + 1, second - first - 1);
}

bool RawConnection::read_request() {
    char buffer[4096];
    std::size_t wanted = std::string::npos;
    while (!stopping_ && request_.size() < wanted) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, poll_ms) <= 0)
            continue;
        const auto n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        request_.append(buffer, static_cast<std::size_t>(n));
        const auto end = request_.find("\r\n\r\n");
        if (wanted == std::string::npos && end != std::string::npos)
            wanted = end + 4 + content_length(std::string_view(request_).substr(0, end + 2));
    }
    return request_.size() >= wanted;
}

bool RawConnection::send(std::string_view bytes) {
    while (!bytes.empty() && !stopping_) {
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, poll_ms) <= 0)
            continue;
        const auto n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return bytes.empty();
}

void RawConnection::stall() {
    char buffer[256];
    while (!stopping_) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, poll_ms) > 0 && ::recv(fd_, buffer, sizeof buffer, 0) <= 0)
            return;
    }
}

RawServer::RawServer(Handler handler)
    : handler_(std::move(handler)) {
    listener_ = bound_listener(port_);
    ::listen(listener_, 8);
    thread_ = std::thread([this] { serve(); });
}

RawServer::~RawServer() {
    stopping_ = true;
    thread_.join();
    ::close(listener_);
}

std::string RawServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> RawServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool RawServer::wait_for_requests(std::size_t count, std::chrono::seconds bound) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, bound, [&] { return requests_.size() >= count; });
}

void RawServer::serve() {
    while (!stopping_) {
        pollfd p{listener_, POLLIN, 0};
        if (::poll(&p, 1, poll_ms) <= 0)
            continue;
        const int fd = ::accept(listener_, nullptr, nullptr);
        if (fd < 0)
            continue;
        RawConnection connection(fd, stopping_);
        if (connection.read_request()) {
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(connection.request());
            }
            arrived_.notify_all();
            handler_(connection);
        }
        ::close(fd);
    }
}

std::string http_response(std::string_view status, std::string_view body,
                          std::string_view extra_headers) {
    return "HTTP/1.1 " + std::string(status) +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n" +
           std::string(extra_headers) + "\r\n" + std::string(body);
}

int closed_port() {
    int port = 0;
    const int fd = bound_listener(port);
    ::close(fd);
    return port;
}

} // namespace lumikko::test
