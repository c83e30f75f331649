#include "tools/demo-site/pages.h"

#include "tools/demo-site/pictures.h"

#include <cerrno>
#include <iconv.h>
#include <memory>

namespace lumikko::demo {

namespace {

// The site writes its pages with CR LF line ends; the list page's block end
// marker depends on them.
class Html {
public:
    Html& operator<<(std::string_view s) {
        text_ += s;
        return *this;
    }
    Html& operator<<(int n) {
        text_ += std::to_string(n);
        return *this;
    }
    Html& line(std::string_view s = {}) {
        text_ += s;
        text_ += "\r\n";
        return *this;
    }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

void head(Html& h, std::string_view title) {
    h.line("<!DOCTYPE html>")
        .line("<html lang=\"zh-CN\">")
        .line("<head>")
        .line("<meta charset=\"utf-8\">");
    h << "<title>" << title << "</title>";
    h.line();
    h.line("<style>body{font-family:sans-serif;margin:0;background:#faf7f5;color:#333}"
           "a{color:#c9184a;text-decoration:none}.header,.footer{padding:10px 24px;background:#fff}"
           "ul{list-style:none;padding:0}li{display:inline-block;margin:8px;vertical-align:top;"
           "width:160px}.r{padding:10px 24px}</style>")
        .line("</head>")
        .line("<body>");
}

void site_header(Html& h) {
    h.line("<div class=\"header\">")
        .line("<a class=\"logo\" href=\"/\">头像小站</a>")
        .line("<a href=\"/qqtouxiang/hot30//1\">热门头像</a>")
        .line("<a href=\"/qqtouxiang/good//1\">精选头像</a>");
    for (std::size_t k = 0; k < 6; ++k) {
        h << "<a href=\"/qqtouxiang/t/" << percent_encode(tag_words()[k]) << "/1\">"
          << tag_words()[k] << "</a>";
        h.line();
    }
    h.line("</div>");
}

void site_footer(Html& h) {
    h.line("<div class=\"footer\">头像小站 · 本站图片均为示例图片，仅供测试使用</div>")
        .line("</body>")
        .line("</html>");
}

std::string list_heading(const ListRef& list) {
    switch (list.kind) {
    case ListKind::hot:
        return "热门QQ头像";
    case ListKind::good:
        return "精选QQ头像";
    case ListKind::tag:
        return html_text(list.word) + "头像";
    case ListKind::search:
        return "搜索“" + html_text(list.word) + "”的头像";
    }
    return {};
}

struct IconvDeleter {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvDeleter>;

} // namespace

std::string html_text(std::string_view bytes) {
    std::string out;
    std::size_t i = 0;
    auto cont = [&](std::size_t k) {
        return k < bytes.size() && (static_cast<unsigned char>(bytes[k]) & 0xC0) == 0x80;
    };
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        std::size_t n = c < 0x80                   ? 1
                        : (c >= 0xC2 && c <= 0xDF) ? 2
                        : (c >= 0xE0 && c <= 0xEF) ? 3
                        : (c >= 0xF0 && c <= 0xF4) ? 4
                                                   : 0;
        bool ok = n > 0;
        for (std::size_t k = 1; ok && k < n; ++k)
            ok = cont(i + k);
        // Overlong forms and surrogates.
        if (ok && n == 3) {
            const auto c1 = static_cast<unsigned char>(bytes[i + 1]);
            ok = !(c == 0xE0 && c1 < 0xA0) && !(c == 0xED && c1 >= 0xA0);
        } else if (ok && n == 4) {
            const auto c1 = static_cast<unsigned char>(bytes[i + 1]);
            ok = !(c == 0xF0 && c1 < 0x90) && !(c == 0xF4 && c1 >= 0x90);
        }
        if (!ok) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\0':
            out += "\xEF\xBF\xBD";
            break;
        default:
            out.append(bytes.substr(i, n));
        }
        i += n;
    }
    return out;
}

std::string list_page(std::string_view origin, const ListRef& list, int page) {
    const std::string heading = list_heading(list);
    const int pages = list_page_count(list);
    Html h;
    head(h, heading + "_第" + std::to_string(page) + "页_头像小站");
    site_header(h);
    h.line("<div class=\"main clearx\">");
    h << "<h2 class=\"title\">" << heading << "</h2>";
    h.line();
    h.line("<div class=\"c clearx\">");
    h.line("<ul class=\"g-gxlist-imgbox\">");
    const auto ids = list_album_ids(list, page);
    for (int id : ids) {
        const Album a = album(id);
        const std::string album_url = std::string(origin) + album_path(a);
        const PictureSpec thumb = thumbnail_spec(id);
        h.line("<li>");
        h << "<a class=\"img\" href=\"" << album_url << "\" target=\"_blank\" title=\"" << a.title
          << "\"><img alt=\"" << a.title << "\" src=\"" << origin << thumbnail_path(id)
          << "\" width=\"" << thumb.width << "\" height=\"" << thumb.height << "\"></a>";
        h.line();
        h << "<p><span class=\"num\">" << a.image_count() << "张</span><a href=\"" << album_url
          << "\" target=\"_blank\">" << a.title << "</a></p>";
        h.line();
        h.line("</li>");
    }
    h.line("</ul>");
    if (ids.empty())
        h.line("<p class=\"empty\">没有更多头像了</p>");
    // The list's own pager uses neither of the album separators.
    h << "<div class=\"pager\">";
    if (page > 1)
        h << "<a href=\"" << list_path(list, page - 1) << "\">上一页</a> ";
    h << "<b>" << page << "</b>";
    if (page < pages)
        h << " <a href=\"" << list_path(list, page + 1) << "\">下一页</a>";
    h.line("</div>");
    h << "</div>\r\n                <div class=\"r right\">\r\n";
    h.line("<h3>热门标签</h3>");
    h.line("<p class=\"tags\">");
    for (const auto& word : tag_words()) {
        h << "<a href=\"/qqtouxiang/t/" << percent_encode(word) << "/1\">" << word << "</a> ";
    }
    h.line();
    h.line("</p>");
    h.line("</div>");
    h.line("</div>");
    site_footer(h);
    return h.take();
}

std::optional<std::string> album_page(std::string_view origin, int album_id, int page) {
    if (album_id < first_album_id || album_id > last_album_id)
        return std::nullopt;
    const Album a = album(album_id);
    if (page < 1 || page > a.page_count())
        return std::nullopt;
    const int count = a.images_per_page[page - 1];
    Html h;
    head(h,
         a.title + (page > 1 ? "(第" + std::to_string(page) + "页)" : std::string()) + "_头像小站");
    site_header(h);
    h.line("<div class=\"tx_content\">");
    h << "<h1>" << a.title << "</h1>";
    h.line();
    h << "<div class=\"info\">共" << a.image_count() << "张 · 第" << page << "页，共"
      << a.page_count() << "页</div>";
    h.line();
    h.line("<ul class=\"g-List clearx avatarList1\" id=\"J_avatarList\">");
    for (int k = 1; k <= count; ++k) {
        const PictureSpec spec = avatar_spec(album_id, page, k);
        const std::string url = std::string(origin) + avatar_path(album_id, page, k);
        h << "<li><a href=\"" << url << "\" target=\"_blank\"><img src=\"" << url << "\" alt=\""
          << a.title << " " << k << "\" width=\"" << spec.width << "\" height=\"" << spec.height
          << "\"></a></li>";
        h.line();
    }
    h.line("</ul>");
    if (a.page_count() > 1) {
        // Exactly one 页 per page of the album in this pager once it is
        // percent-decoded: some albums write it as text, others only in the
        // encoded query of the links.
        const bool encoded = album_id % 2 == 0;
        const std::string stem = "/qqtouxiang/" + a.folder + "/" + std::to_string(album_id) + "_";
        h << "<div class=\"pages\">";
        for (int k = 1; k <= a.page_count(); ++k) {
            h << "<a class=\"bg_white" << (k == page ? " on" : "") << "\" href=\"" << stem << k
              << ".html";
            if (encoded)
                h << "?t=%E7%AC%AC" << k << "%E9%A1%B5\">" << k << "</a>";
            else
                h << "?from=%E7%9B%B8%E5%86%8C\">第" << k << "页</a>";
        }
        if (page < a.page_count())
            h << "<a class=\"bg_white next\" href=\"" << stem << page + 1
              << ".html?from=%E7%9B%B8%E5%86%8C\">&gt;</a>";
        h.line("</div>");
    }
    h.line("<div class=\"fx\">分享到：<a href=\"#\">QQ空间</a> <a href=\"#\">微博</a></div>");
    h.line("</div>");
    site_footer(h);
    return h.take();
}

std::string forum_post() {
    Html h;
    head(h, "头像助手 更新公告 - 软件发布 - 小站论坛");
    h.line("<div id=\"postlist\">")
        .line("<div class=\"postauthor\">管理员</div>")
        .line("<div class=\"t_msgfont\" id=\"postmessage_6\">")
        .line("头像助手的更新通知放在本帖的附件里，程序每次启动都会读取它。<br />")
        .line("如果附件里的版本与你的不同，程序会打开下载地址。<br />")
        .line("</div>")
        .line("<div class=\"postattachlist\">");
    h << "<dl class=\"t_attachlist\"><dt><a href=\"attachment.php?aid=" << notice_attachment_id
      << "\" target=\"_blank\">update.txt</a> <em>(158 Bytes, 下载次数: 1024)</em></dt></dl>";
    h.line();
    h.line("</div>").line("</div>");
    h.line("<div class=\"footer\">Powered by Discuz!</div>").line("</body>").line("</html>");
    return h.take();
}

std::string to_gbk(std::string_view utf8) {
    IconvHandle cd(iconv_open("GBK", "UTF-8"));
    if (cd.get() == reinterpret_cast<iconv_t>(-1)) {
        cd.release();
        return std::string(utf8);
    }
    std::string out;
    std::string buffer(256, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t in_left = utf8.size();
    while (in_left > 0) {
        char* dst = buffer.data();
        std::size_t dst_left = buffer.size();
        const std::size_t rc = iconv(cd.get(), &in, &in_left, &dst, &dst_left);
        out.append(buffer.data(), buffer.size() - dst_left);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // Unmappable or malformed: one "?" for the character, then go on.
            out += '?';
            ++in;
            --in_left;
            while (in_left > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
                ++in;
                --in_left;
            }
        }
    }
    return out;
}

std::string notice_gbk(std::string_view version, std::string_view address) {
    std::string text = "头像助手 更新公告\r\n"
                       "版本[";
    text += version;
    text += "]\r\n地址[";
    text += address;
    text += "]\r\n"
            "更新内容：\r\n"
            "1. 相册翻页更稳定。\r\n"
            "2. 预览窗口可以复制头像。\r\n"
            "感谢大家的支持！\r\n";
    return to_gbk(text);
}

std::string home_page(std::string_view origin) {
    Html h;
    head(h, "头像小站 - 演示站点");
    site_header(h);
    h.line("<div class=\"r\">");
    h << "<p>这是 Lumikko 的本地演示站点：" << html_text(origin) << "</p>";
    h.line();
    h.line("<ul class=\"home\">");
    h.line("<li><a href=\"/qqtouxiang/hot30//1\">热门列表</a></li>");
    h.line("<li><a href=\"/qqtouxiang/good//1\">精选列表</a></li>");
    for (const auto& word : tag_words()) {
        h << "<li><a href=\"/qqtouxiang/t/" << percent_encode(word) << "/1\">标签：" << word
          << "</a></li>";
        h.line();
    }
    h.line("<li><a href=\"/qqtouxiang/s/%E7%83%AD%E9%97%A8/1\">搜索：热门</a></li>");
    h.line("<li><a href=\"/viewthread.php?tid=6&amp;extra=page%3D1\">更新公告帖</a></li>");
    h.line("</ul>");
    h.line("</div>");
    site_footer(h);
    return h.take();
}

std::string download_page(std::string_view file) {
    Html h;
    head(h, "下载 " + html_text(file));
    h.line("<div class=\"r\">");
    h << "<h1>" << html_text(file) << "</h1>";
    h.line();
    h.line("<p>这是演示站点的下载页面：真正的安装包不在这里。</p>");
    h.line("</div>");
    h.line("</body>").line("</html>");
    return h.take();
}

std::string not_found_page(std::string_view target) {
    Html h;
    head(h, "404 页面不存在");
    h.line("<div class=\"r\">");
    h.line("<h1>404</h1>");
    h << "<p>找不到 " << html_text(target) << "</p>";
    h.line();
    h.line("<p><a href=\"/\">返回首页</a></p>");
    h.line("</div>");
    h.line("</body>").line("</html>");
    return h.take();
}

} // namespace lumikko::demo
