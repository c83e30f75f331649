#pragma once
// The nineteen buttons that choose which album list the grid shows: sixteen
// tags, the good list, the search box and the fixed search word.

#include <array>
#include <string_view>

namespace lumikko {

struct ListButton {
    std::string_view control; // object name of the button
    std::string_view word;    // empty for the good list and the search box
    std::string_view path;    // appended to site_origin
};

inline constexpr std::string_view tag_path = "/qqtouxiang/t/";
inline constexpr std::string_view search_path = "/qqtouxiang/s/";
inline constexpr std::string_view good_path = "/qqtouxiang/good/";

inline constexpr std::array<ListButton, 19> list_buttons{{
    {"按钮1", "小清新", tag_path},      {"按钮2", "伤感", tag_path},
    {"按钮3", "唯美", tag_path},        {"按钮4", "霸气", tag_path},
    {"按钮5", "卡西欧", tag_path},      {"按钮6", "姐妹", tag_path},
    {"按钮7", "黑白", tag_path},        {"按钮8", "森系", tag_path},
    {"按钮9", "长发", tag_path},        {"按钮10", "非主流", tag_path},
    {"按钮11", "", good_path},          {"按钮12", "女神", tag_path},
    {"按钮13", "", search_path},        {"漫画按钮1", "男生", tag_path},
    {"漫画按钮2", "女生", tag_path},    {"漫画按钮3", "情侣", tag_path},
    {"漫画按钮4", "动漫", tag_path},    {"漫画按钮5", "欧美", tag_path},
    {"漫画按钮6", "热门", search_path},
}};

// Runs the list start sequence for the button with that object name. The search
// button takes the search box's text exactly as typed; the good list has no
// word at all.
void on_list_button_clicked(std::string_view control);

} // namespace lumikko
