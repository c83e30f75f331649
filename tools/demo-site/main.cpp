// lumikko-demo-site: serves the demo avatar site and update forum on 127.0.0.1
// until SIGINT or SIGTERM.

#include "tools/demo-site/demo_site.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

namespace {

void usage(std::ostream& out) {
    out << "usage: lumikko-demo-site [--port N] [--delay-ms N] [--announce VERSION]\n"
           "  --port N            port on 127.0.0.1 (default 8480, 0 picks a free one)\n"
           "  --delay-ms N        wait N milliseconds before every answer (default 0)\n"
           "  --announce VERSION  version the update notice names (default 1.3)\n";
}

bool to_int(std::string_view s, int lo, int hi, int& value) {
    try {
        std::size_t used = 0;
        const long v = std::stol(std::string(s), &used);
        if (used != s.size() || v < lo || v > hi)
            return false;
        value = static_cast<int>(v);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

int main(int argc, char** argv) {
    int port = 8480;
    lumikko::demo::SiteOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            usage(std::cout);
            return 0;
        }
        if (i + 1 >= argc) {
            std::cerr << "lumikko-demo-site: " << arg << ": missing or unknown option\n";
            usage(std::cerr);
            return 2;
        }
        const std::string_view value = argv[++i];
        bool ok = true;
        if (arg == "--port")
            ok = to_int(value, 0, 65535, port);
        else if (arg == "--delay-ms")
            ok = to_int(value, 0, 600000, options.delay_ms);
        else if (arg == "--announce")
            options.announce = std::string(value);
        else
            ok = false;
        if (!ok) {
            std::cerr << "lumikko-demo-site: bad option " << arg << " " << value << "\n";
            usage(std::cerr);
            return 2;
        }
    }

    // Block the stop signals before any thread starts, so only sigwait sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    lumikko::demo::DemoSite site(options);
    if (site.start(port) < 0) {
        std::cerr << "lumikko-demo-site: cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }
    std::cout << site.origin() << std::endl;

    int received = 0;
    sigwait(&signals, &received);
    site.stop();
    return 0;
}
