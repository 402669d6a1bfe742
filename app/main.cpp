// kFeedDoc: downloads one RSS feed and writes it as Temp_RSS.xml. The download road is being
// built; until it lands the program says so and ends with the failure exit value.

#include <cstdio>

int main() {
    std::fputs("kFeedDoc: the feed download is not built yet.\n", stderr);
    return 255;
}
