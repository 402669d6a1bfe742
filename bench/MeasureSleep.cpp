// Measures the pause the export makes before each item: measure_sleep COUNT calls the platform's
// SleepMs(2) COUNT times and prints the mean length of one call in milliseconds, so that a
// benchmark can take the pauses out of a timed run.

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/Clock.h"

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000;
    if (count <= 0) {
        std::fputs("usage: measure_sleep COUNT\n", stderr);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        platform::SleepMs(2);
    }
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%.4f\n", elapsed.count() / static_cast<double>(count));
    return 0;
}
