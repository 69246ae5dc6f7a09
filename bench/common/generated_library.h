// A generated site library for the benchmarks: circuits of theaters of numbered screens, each
// screen folder holding a short Notes.txt, in a fresh temporary folder that is removed again.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include <unistd.h>

namespace bench {

inline constexpr int kCircuits = 20;
inline constexpr int kTheatersPerCircuit = 20;
inline constexpr int kScreensPerTheater = 50;
inline constexpr int kScreens = kCircuits * kTheatersPerCircuit * kScreensPerTheater;

// How many folders the library has at each level, and whether each screen holds notes.
struct LibraryShape {
    const char* m_name;
    int m_nCircuits;
    int m_nTheatersPerCircuit;
    int m_nScreensPerTheater;
    bool m_bNotes;
    int Screens() const { return m_nCircuits * m_nTheatersPerCircuit * m_nScreensPerTheater; }
};

inline constexpr LibraryShape kDefaultShape{"20 circuits of 20 theaters of 50 screens", kCircuits,
                                            kTheatersPerCircuit, kScreensPerTheater, true};

class GeneratedLibrary {
public:
    explicit GeneratedLibrary(const std::string& name, const LibraryShape& shape = kDefaultShape)
        : m_shape(shape) {
        std::random_device random;
        m_root = std::filesystem::temp_directory_path() /
                 (name + "-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
        try {
            Generate();
        } catch (...) {
            Remove();
            throw;
        }
    }
    ~GeneratedLibrary() { Remove(); }
    GeneratedLibrary(const GeneratedLibrary&) = delete;
    GeneratedLibrary& operator=(const GeneratedLibrary&) = delete;

    const std::filesystem::path& Root() const { return m_root; }

private:
    void Generate() {
        const std::string notes = "Theater Setup Notes\r\n\r\n";
        for (int c = 0; c < m_shape.m_nCircuits; ++c) {
            const auto circuit = m_root / ("Circuit " + std::to_string(c));
            for (int t = 0; t < m_shape.m_nTheatersPerCircuit; ++t) {
                const auto theater = circuit / ("Theater " + std::to_string(t));
                for (int s = 0; s < m_shape.m_nScreensPerTheater; ++s) {
                    const auto screen = theater / std::to_string(s + 1);
                    std::filesystem::create_directories(screen);
                    if (m_shape.m_bNotes)
                        std::ofstream(screen / "Notes.txt", std::ios::binary) << notes;
                }
            }
        }
    }
    void Remove() {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

    LibraryShape m_shape;
    std::filesystem::path m_root;
};

} // namespace bench
