#include "scripted_site.h"

#include "net/encoding.h"

#include <QBuffer>
#include <QImage>

#include <chrono>

namespace lumikko::testing {

ScriptedSite::ScriptedSite() {
    server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        Answer answer;
        bool found = false;
        int delay = 0;
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(req.target);
            auto it = answers_.find(req.target);
            if (it != answers_.end()) {
                answer = it->second;
                found = true;
            }
            delay = found && answer.delay_ms ? answer.delay_ms : default_delay_ms_;
        }
        // Sleep in small steps so that stopping the server never waits long.
        for (int slept = 0; slept < delay && !stopping_; slept += 20)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!found) {
            res.status = 404;
            res.set_content("<html><body>not here</body></html>", "text/html");
        } else {
            res.status = answer.status;
            res.set_content(answer.body, answer.content_type.c_str());
        }
        return httplib::Server::HandlerResponse::Handled;
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

ScriptedSite::~ScriptedSite() {
    stopping_ = true;
    server_.stop();
    thread_.join();
}

void ScriptedSite::set(const std::string& target, Answer answer) {
    std::lock_guard lock(mutex_);
    answers_[target] = std::move(answer);
}

void ScriptedSite::set_default_delay(int ms) {
    std::lock_guard lock(mutex_);
    default_delay_ms_ = ms;
}

std::vector<std::string> ScriptedSite::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int ScriptedSite::count(const std::string& target) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& r : requests_)
        n += r == target;
    return n;
}

void ScriptedSite::clear_requests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

std::string png_picture(int w, int h, unsigned rgb) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(rgb));
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

std::string list_page_html(const std::vector<std::string>& thumbnails,
                           const std::vector<std::string>& links) {
    std::string html =
        "<html><head><meta charset=\"utf-8\"><title>热门头像</title></head><body>\r\n"
        "<div class=\"c clearx\">\r\n<ul>\r\n";
    for (std::size_t k = 0; k < thumbnails.size() || k < links.size(); ++k) {
        html += "<li>";
        if (k < thumbnails.size())
            html += "<a class=\"img\"><img alt=\"头像" + std::to_string(k + 1) + "\" src=\"" +
                    thumbnails[k] + "\" /></a>";
        if (k < links.size())
            html += "<span>中文</span><a href=\"" + links[k] + "\">相册</a>";
        html += "</li>\r\n";
    }
    html += "</ul>\r\n</div>\r\n                <div class=\"r right\">\r\n<p>侧栏</p></div>"
            "</body></html>\r\n";
    return html;
}

std::string album_page_html(const std::vector<std::string>& sources, int pages) {
    std::string html = "<html><body><div class=\"avatarList List clearx avatarList1\" "
                       "id=\"J_avatarList\">\r\n<ul>";
    for (const auto& src : sources)
        html += "<li><img src=\"" + src + "\" alt=\"头像\" /></li>";
    html += "</ul>\r\n";
    if (pages > 1) {
        html += "<div class=\"page\">";
        for (int p = 1; p <= pages; ++p)
            html += "<a class=\"bg_white\" href=\"x_" + std::to_string(p) + ".html\">第" +
                    std::to_string(p) + "页</a>";
        html += "</div>\r\n";
    }
    html += "</div>\r\n<div class=\"fx\">分享</div></body></html>";
    return html;
}

std::string forum_post_html(const std::string& attachment) {
    return "<html><body><p>更新说明</p><a href=\"attachment.php?aid=" + attachment +
           "\" target=\"_blank\">update.txt</a></body></html>";
}

std::string notice_gbk(const std::string& version, const std::string& address) {
    return utf8_to_gbk("更新公告\r\n版本[" + version + "]\r\n地址[" + address + "]\r\n");
}

} // namespace lumikko::testing
