// The protected program of the benchmark: writes the CLOCK_MONOTONIC time of
// its own start, in nanoseconds, to the file its first argument names.
#include <time.h>

#include <cstdio>

int main(int argc, char* argv[]) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    if (argc < 2) return 2;
    std::FILE* file = std::fopen(argv[1], "w");
    if (file == nullptr) return 1;
    std::fprintf(file, "%lld%09ld\n", static_cast<long long>(now.tv_sec), now.tv_nsec);
    return std::fclose(file) == 0 ? 0 : 1;
}
