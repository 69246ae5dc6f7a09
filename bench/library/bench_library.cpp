// Times the start-up scan of large libraries of several shapes against a plain recursive
// listing of the same folders. The scan must cost at most twice the listing: it lists each
// folder once, finds each name through the model's index instead of walking a list, and reads
// nothing below the screen folders.
#include "bench/common/generated_library.h"
#include "image/settings_image.h"
#include "library/site_storage.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr double kMaxRatio = 2.0;
constexpr int kRepeats = 3;

constexpr bench::LibraryShape kShapes[] = {
    bench::kDefaultShape,
    {"100,000 circuits", 100000, 1, 1, false},
    {"one theater with 100,000 screens", 1, 1, 100000, false},
};

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

// Returns true when the shape's scan finds every screen within the limit.
bool MeasureShape(const bench::LibraryShape& shape) {
    const bench::GeneratedLibrary generated("vrx-bench-library", shape);
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
        SettingsImage image;
        CSiteStorage storage(library, root, image);
        storage.ScanLibrary();
        screens = CountScreens(library);
    });

    const double ratio = listing > 0 ? scan / listing : 0.0;
    std::printf("%s: %d screens (%zu entries on disk)\n", shape.m_name, screens, listed);
    std::printf("  ScanLibrary:       %.4f s\n", scan);
    std::printf("  recursive listing: %.4f s\n", listing);
    std::printf("  ratio:             %.2f (limit %.1f)\n", ratio, kMaxRatio);
    if (screens != shape.Screens()) {
        std::printf("FAIL: the scan found %d screens\n", screens);
        return false;
    }
    if (ratio > kMaxRatio) {
        std::printf("FAIL: the scan is more than %.1f times the listing\n", kMaxRatio);
        return false;
    }
    return true;
}

} // namespace

int main() {
    int result = 0;
    for (const bench::LibraryShape& shape : kShapes) {
        try {
            if (!MeasureShape(shape))
                result = 1;
        } catch (const std::exception& e) {
            std::printf("FAIL: %s: %s\n", shape.m_name, e.what());
            result = 2;
        }
    }
    return result;
}
