// Loads and frees a library many times and prints the median time of one load and free, in
// microseconds:
//
//   attachtime.exe path\to\library.dll [count [held.dll ...]]     (count defaults to 200)
//
// The libraries named after the count are loaded first and held for the whole run, as a
// process that already uses them holds them: their own load then does not count.
// Output: one line, "<median-us> <count> <library>".
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: attachtime library.dll [count]\n");
        return 2;
    }
    const int count = argc > 2 ? std::atoi(argv[2]) : 200;
    if (count <= 0) {
        std::fprintf(stderr, "count must be positive\n");
        return 2;
    }
    for (int i = 3; i < argc; ++i)
        if (LoadLibraryA(argv[i]) == nullptr) {
            std::fprintf(stderr, "cannot load %s (error %lu)\n", argv[i], GetLastError());
            return 1;
        }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    times.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        HMODULE module = LoadLibraryA(argv[1]);
        if (module == nullptr) {
            std::fprintf(stderr, "cannot load %s (error %lu)\n", argv[1], GetLastError());
            return 1;
        }
        FreeLibrary(module);
        QueryPerformanceCounter(&end);
        times.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                        static_cast<double>(frequency.QuadPart));
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    std::printf("%.1f %d %s\n", times[times.size() / 2], count, argv[1]);
    return 0;
}
