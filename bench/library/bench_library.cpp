// Times the start-up scan of a large library against a plain recursive listing of the same
// folders. The scan must cost at most three times the listing: it lists each folder once and
// reads nothing below the screen folders.
#include "bench/common/generated_library.h"
#include "library/site_storage.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr double kMaxRatio = 3.0;
constexpr int kRepeats = 3;

template <typename Work> double BestSeconds(Work work) {
    double best = 1e9;
    for (int i = 0; i < kRepeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

int CountScreens(SiteLibrary& library) {
    int screens = 0;
    for (library.FirstCircuit(); library.HasCircuit(); library.NextCircuit())
        for (library.FirstTheater(); library.HasTheater(); library.NextTheater())
            for (library.FirstScreen(); library.HasScreen(); library.NextScreen())
                ++screens;
    return screens;
}

} // namespace

int main() {
    int result = 0;
    try {
        const bench::GeneratedLibrary generated("vrx-bench-library");
        const fs::path& root = generated.Root();

        std::size_t listed = 0;
        const double listing = BestSeconds([&] {
            listed = 0;
            for (auto it = fs::recursive_directory_iterator(root);
                 it != fs::recursive_directory_iterator(); ++it)
                ++listed;
        });

        int screens = 0;
        const double scan = BestSeconds([&] {
            SiteLibrary library;
            CSiteStorage storage(library, root);
            storage.ScanLibrary();
            screens = CountScreens(library);
        });

        const double ratio = listing > 0 ? scan / listing : 0.0;
        std::printf("library of %d screens (%zu entries on disk)\n", screens, listed);
        std::printf("ScanLibrary:       %.4f s\n", scan);
        std::printf("recursive listing: %.4f s\n", listing);
        std::printf("ratio:             %.2f (limit %.1f)\n", ratio, kMaxRatio);
        if (screens != bench::kScreens) {
            std::printf("FAIL: the scan found %d screens\n", screens);
            result = 1;
        } else if (ratio > kMaxRatio) {
            std::printf("FAIL: the scan is more than %.1f times the listing\n", kMaxRatio);
            result = 1;
        }
    } catch (const std::exception& e) {
        std::printf("FAIL: %s\n", e.what());
        result = 2;
    }
    return result;
}
