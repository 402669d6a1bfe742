// Writes the benchmark feed to a file: make_bench_feed ITEMS ITEM_BYTES PATH. The same arguments
// always give the same bytes.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/RssFeedGenerator.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: make_bench_feed ITEMS ITEM_BYTES PATH\n", stderr);
        return 2;
    }
    const std::string feed = benchfeed::MakeRssFeed(std::strtoul(argv[1], nullptr, 10), std::strtoul(argv[2], nullptr, 10));
    std::FILE* out = std::fopen(argv[3], "wb");
    if (!out || std::fwrite(feed.data(), 1, feed.size(), out) != feed.size() || std::fclose(out) != 0) {
        std::perror(argv[3]);
        return 1;
    }
    return 0;
}
