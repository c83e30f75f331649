// Cutting pages apart, decoding pictures, and a whole list page load (page,
// albums, eighteen thumbnails fetched and decoded) against the demo site on
// loopback.

#include "app/toolkit/picture_decoder.h"
#include "browse/site_pages.h"
#include "net/http.h"
#include "tools/demo-site/demo_site.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

using namespace lumikko;

const std::string origin = "http://127.0.0.1:8480";

std::string body(const std::string& target) {
    return demo::answer(origin, target, "1.3").body;
}

void parse_list(benchmark::State& state) {
    const std::string page = body("/qqtouxiang/hot30//1");
    for (auto _ : state)
        benchmark::DoNotOptimize(parse_list_page(page));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(parse_list);

void parse_album(benchmark::State& state) {
    const ListPage list = parse_list_page(body("/qqtouxiang/hot30//1"));
    std::string stem = list.links.at(0).substr(origin.size());
    stem.resize(stem.size() - 5); // ".html"
    const std::string page = body(stem + "_1.html");
    for (auto _ : state)
        benchmark::DoNotOptimize(parse_album_page(page, true));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(parse_album);

void decode_thumbnail(benchmark::State& state) {
    const ListPage list = parse_list_page(body("/qqtouxiang/hot30//1"));
    const std::string picture = body(list.thumbnails.at(0).substr(origin.size()));
    for (auto _ : state)
        benchmark::DoNotOptimize(decode_picture(picture));
}
BENCHMARK(decode_thumbnail);

// What one list load costs end to end, minus the painting.
void load_list_over_loopback(benchmark::State& state) {
    demo::DemoSite site;
    const int port = site.start(0);
    if (port < 0) {
        state.SkipWithError("demo site did not start");
        return;
    }
    const std::string url = site.origin() + "/qqtouxiang/hot30//1";
    for (auto _ : state) {
        const ListPage list = parse_list_page(body_to_text(read_http_file(url)));
        const std::size_t n = std::min<std::size_t>(18, list.thumbnails.size());
        for (std::size_t k = 0; k < n; ++k)
            benchmark::DoNotOptimize(decode_picture(http_request(list.thumbnails[k])));
    }
}
BENCHMARK(load_list_over_loopback)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
