// What the test folders share of files: a fresh temporary folder, removed with everything in it
// at the end, and whole-file reads and writes. Portable: the Windows tests use it too.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

class TempFolder {
public:
    TempFolder() {
        // A folder that did not exist before is this object's alone.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            const auto candidate =
                std::filesystem::temp_directory_path() / ("vrx-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate))
                m_path = candidate;
        }
        if (m_path.empty())
            throw std::runtime_error("cannot create a temporary folder");
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ec;
        // A test may have taken permissions away; give them back so the tree can go.
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Why taking a folder's permissions away does not stop access to it here, or "" when it does.
// Windows keeps no such permissions on folders (their read-only attribute is not enforced);
// the superuser passes every permission check.
inline std::string WhyFolderPermissionsDoNotBind() {
#ifdef _WIN32
    return "Windows does not enforce permissions set on a folder";
#else
    return ::geteuid() == 0 ? "folder permissions do not bind the superuser" : "";
#endif
}
