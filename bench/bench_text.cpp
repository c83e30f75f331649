// Text primitives over a list page about the size of the avatar site's (~150 KB).
#include "browse/text.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace lumikko;

// A list page: a long head, many album entries with Chinese titles and the
// block the loaders cut out near the end, so searches walk most of the page.
const std::string& list_page() {
    static const std::string page = [] {
        std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                           "<title>\xE5\xA4\xB4\xE5\x83\x8F</title></head><body>\n";
        int i = 0;
        while (html.size() < 140 * 1024) {
            const std::string n = std::to_string(i++);
            html += "<div class=\"item\"><a href=\"/qqtouxiang/" + n +
                    ".html\" title=\"\xE5\x8F\xAF\xE7\x88\xB1\xE5\xA5\xB3\xE7\x94\x9F\xE5\xA4\xB4"
                    "\xE5\x83\x8F" +
                    n + "\"><img src=\"http://127.0.0.1:8480/pic/" + n +
                    ".jpg\" alt=\"\xE4\xB8\xAD\xE6\x96\x87\"></a><span>\xE7\x83\xAD\xE9\x97\xA8"
                    "</span></div>\r\n";
        }
        html += "<ul class=\"g-gxlist-imgbox\">\r\n";
        for (int k = 0; k < 18; ++k) {
            const std::string n = std::to_string(k);
            html += "<li><a href=\"/qqtouxiang/album" + n + ".html\"><img src=\"/thumb/" + n +
                    ".jpg\"></a>\xE9\xA1\xB5</li>\r\n";
        }
        html += "</ul>\r\n<div class=\"footer\">\xE7\x89\x88\xE6\x9D\x83</div></body></html>\n";
        return html;
    }();
    return page;
}

void BM_text_between(benchmark::State& state) {
    const std::string& page = list_page();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            text_between(page, "<UL class=#引号g-gxlist-imgbox#引号>", "</ul>"));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_text_between);

void BM_text_between_case_sensitive(benchmark::State& state) {
    const std::string& page = list_page();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            text_between(page, "<ul class=\"g-gxlist-imgbox\">", "</ul>", 1, true));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_text_between_case_sensitive);

void BM_text_split(benchmark::State& state) {
    const std::string& page = list_page();
    for (auto _ : state)
        benchmark::DoNotOptimize(text_split(page, "\r\n"));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_text_split);

void BM_extract_text_between(benchmark::State& state) {
    const std::string& page = list_page();
    for (auto _ : state)
        benchmark::DoNotOptimize(extract_text(page, "<ul class=\"g-gxlist-imgbox\">", "</ul>"));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_extract_text_between);

void BM_extract_text_every(benchmark::State& state) {
    const std::string& page = list_page();
    TextArray pieces;
    for (auto _ : state)
        benchmark::DoNotOptimize(extract_text(page, "<img src=\"", "\"", 1, &pieces));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_extract_text_every);

void BM_count_occurrences(benchmark::State& state) {
    const std::string& page = list_page();
    for (auto _ : state)
        benchmark::DoNotOptimize(count_occurrences(page, "\xE9\xA1\xB5"));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_count_occurrences);

// A needle that begins with a continuation byte takes the character walk.
void BM_text_find_walk(benchmark::State& state) {
    const std::string& page = list_page();
    for (auto _ : state)
        benchmark::DoNotOptimize(text_find(page, "\xA1\xB5"));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_text_find_walk);

} // namespace

BENCHMARK_MAIN();
