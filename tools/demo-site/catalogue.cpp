#include "tools/demo-site/catalogue.h"

#include "tools/demo-site/seed.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace lumikko::demo {

using detail::fnv1a;
using detail::mix;
using detail::Rng;

namespace {

struct Theme {
    Style style;
    const char* folder;
    std::vector<const char*> subjects;
};

const std::array<Theme, 6>& themes() {
    static const std::array<Theme, 6> all{{
        {Style::face, "nvsheng", {"女生头像", "闺蜜头像", "插画头像", "少女头像"}},
        {Style::animal, "katong", {"猫咪头像", "萌宠头像", "卡通头像", "小熊头像"}},
        {Style::landscape, "fengjing", {"风景头像", "山水头像", "远山头像"}},
        {Style::flower, "yijing", {"花朵头像", "植物头像", "花卉头像"}},
        {Style::tiles, "gexing", {"几何头像", "个性头像", "简约头像"}},
        {Style::night, "xingkong", {"夜空头像", "星空头像", "月亮头像"}},
    }};
    return all;
}

constexpr std::array prefixes{"小清新", "唯美", "治愈系", "温柔", "简约", "文艺",
                              "可爱",   "森系", "复古",   "梦幻", "安静", "甜甜的"};
constexpr std::array suffixes{"", "", "", "合集", "精选", "第二弹", "高清", "（持续更新）"};

std::uint64_t list_seed(const ListRef& list) {
    constexpr std::array names{"hot", "good", "tag", "search"};
    return fnv1a(list.word, fnv1a(names[static_cast<int>(list.kind)]));
}

int hex_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

int Album::image_count() const {
    return std::accumulate(images_per_page.begin(), images_per_page.end(), 0);
}

Album album(int id) {
    Rng rng(mix(fnv1a("album"), static_cast<std::uint64_t>(id)));
    const Theme& theme = themes()[rng.below(static_cast<int>(themes().size()))];
    Album a;
    a.id = id;
    a.style = theme.style;
    a.folder = theme.folder;
    a.title = std::string(prefixes[rng.below(prefixes.size())]) +
              theme.subjects[rng.below(static_cast<int>(theme.subjects.size()))] +
              suffixes[rng.below(suffixes.size())];
    const int roll = rng.below(100);
    const int pages = roll < 30 ? 1 : roll < 60 ? 2 : roll < 85 ? 3 : 4;
    if (pages == 1) {
        a.images_per_page = {rng.between(5, 15)};
    } else {
        const int per_roll = rng.below(100);
        const int full = per_roll < 60 ? 12 : per_roll < 85 ? 15 : 16;
        a.images_per_page.assign(pages - 1, full);
        a.images_per_page.push_back(rng.between(3, full));
    }
    return a;
}

int list_page_count(const ListRef& list) {
    return 3 + static_cast<int>(list_seed(list) % 3);
}

std::vector<int> list_album_ids(const ListRef& list, int page) {
    const int pages = list_page_count(list);
    if (page < 1 || page > pages)
        return {};
    const std::uint64_t seed = list_seed(list);
    const int count = page < pages ? albums_per_full_page : 3 + static_cast<int>(mix(seed, 7) % 15);
    std::vector<int> ids;
    ids.reserve(count);
    for (int slot = 0; ids.size() < static_cast<std::size_t>(count); ++slot) {
        const auto h =
            mix(mix(seed, static_cast<std::uint64_t>(page)), static_cast<std::uint64_t>(slot));
        const int id = first_album_id + static_cast<int>(h % (last_album_id - first_album_id + 1));
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
    }
    return ids;
}

const std::vector<std::string>& tag_words() {
    static const std::vector<std::string> words{
        "小清新", "伤感",   "唯美", "霸气", "卡西欧", "姐妹", "黑白", "森系",
        "长发",   "非主流", "女神", "男生", "女生",   "情侣", "动漫", "欧美"};
    return words;
}

std::string album_path(const Album& a) {
    return "/qqtouxiang/" + a.folder + "/" + std::to_string(a.id) + ".html";
}

std::string album_page_path(const Album& a, int page) {
    return "/qqtouxiang/" + a.folder + "/" + std::to_string(a.id) + "_" + std::to_string(page) +
           ".html";
}

std::string list_path(const ListRef& list, int page) {
    switch (list.kind) {
    case ListKind::hot:
        return "/qqtouxiang/hot30//" + std::to_string(page);
    case ListKind::good:
        return "/qqtouxiang/good//" + std::to_string(page);
    case ListKind::tag:
        return "/qqtouxiang/t/" + percent_encode(list.word) + "/" + std::to_string(page);
    case ListKind::search:
        return "/qqtouxiang/s/" + percent_encode(list.word) + "/" + std::to_string(page);
    }
    return {};
}

std::string percent_encode(std::string_view bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        out += '%';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string percent_decode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
            hex_value(text[i + 2]) >= 0) {
            out += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace lumikko::demo
